#include "app/status_mirror.h"

namespace varkon {

void StatusMirror::setStatus(const std::string& text) {
    status_ = text;
    window_.setStatus(text);
}

std::string StatusMirror::text(std::string_view control) const {
    if (control == "comstattxt") return status_;
    return window_.text(control);
}

}  // namespace varkon
