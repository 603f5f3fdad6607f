#include "app/whole_answer_port.h"

#include <chrono>

namespace varkon {

WholeAnswerPort::WholeAnswerPort(std::unique_ptr<SerialPort> port, const LinkTimings& timings)
    : port_(std::move(port)), timings_(timings) {
    if (!port_) port_ = MakeSerialPort(timings_);
}

int WholeAnswerPort::open(const std::string& portName, const std::string& lineSettings) {
    last_ = 0;
    refusalOpen_ = false;
    return port_->open(portName, lineSettings);
}

bool WholeAnswerPort::write(std::string_view bytes) {
    last_ = 0;
    refusalOpen_ = false;
    return port_->write(bytes);
}

std::string WholeAnswerPort::read(std::size_t maxBytes) {
    std::string bytes = port_->read(maxBytes);
    follow(bytes);
    // A read that brings nothing ends the wait too: a register may end a refusal without 0x04.
    const auto until = std::chrono::steady_clock::now() + timings_.replyWindow;
    while (refusalOpen_ && bytes.size() < maxBytes && std::chrono::steady_clock::now() < until) {
        std::string more = port_->read(maxBytes - bytes.size());
        if (more.empty()) break;
        follow(more);
        bytes += more;
    }
    return bytes;
}

void WholeAnswerPort::follow(std::string_view bytes) {
    for (char c : bytes) {
        if (c == '\x04') {
            refusalOpen_ = false;
        } else if (last_ == 'D' && c == 'E') {
            refusalOpen_ = true;
        }
        last_ = c;
    }
}

}  // namespace varkon
