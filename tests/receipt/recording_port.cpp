#include "receipt/recording_port.h"

#include <utility>

namespace varkon::test {

bool RecordingPort::write(std::string_view bytes) {
    wire_->bytes += bytes;
    current_ += bytes;
    if (current_.empty() || current_.back() != '\r') return true;
    current_.pop_back();
    if (wire_->silent.count(current_) == 0) ++wire_->answers;
    if (wire_->onCommand) wire_->onCommand();
    wire_->commands.push_back(std::exchange(current_, {}));
    return true;
}

std::string RecordingPort::read(std::size_t maxBytes) {
    if (wire_->answers == 0 || maxBytes == 0) return {};
    --wire_->answers;
    return "\x04";
}

}  // namespace varkon::test
