#include "app/base/messages.h"

namespace varkon {

int Messages::ShowMessage(const std::string& text, int style, const std::string& title) {
    MessageShown = true;
    return surface_.messageBox(text, style, title);
}

}  // namespace varkon
