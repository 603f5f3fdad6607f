#include "service/logging_serial_port.h"

#include "greek/cp1253.h"

namespace varkon {

namespace {

// The log's numbers for an open: 0 opened, -1 not opened, -2 the line's set-up failed.
int LoggedStatus(PortOpening outcome) {
    switch (outcome) {
        case PortOpening::kOpened:
            return 0;
        case PortOpening::kNotOpened:
        case PortOpening::kBusy:
            return -1;
        case PortOpening::kSetUpFailed:
            break;
    }
    return -2;
}

}  // namespace

PortOpening LoggingSerialPort::open(const std::string& portName,
                                    const std::optional<LineFormat>& format) {
    const PortOpening outcome = port_->open(portName, format);
    const std::string lineSettings = format ? LineFormatText(*format) : "(unreadable)";
    log_.log("port", "open " + Cp1253ToUtf8(portName) + " " + lineSettings + " -> " +
                         std::to_string(LoggedStatus(outcome)));
    if (outcome != PortOpening::kOpened) log_.log("port", "not opened: " + port_->openFailure());
    return outcome;
}

void LoggingSerialPort::close() {
    if (port_->isOpen()) log_.log("port", "close");
    port_->close();
}

bool LoggingSerialPort::write(std::string_view bytes) {
    const bool ok = port_->write(bytes);
    log_.log(ok ? "sent" : "not sent", bytes, true);
    return ok;
}

std::string LoggingSerialPort::read(std::size_t maxBytes) {
    std::string bytes = port_->read(maxBytes);
    if (!bytes.empty()) log_.log("received", bytes, true);
    return bytes;
}

std::size_t LoggingSerialPort::discardInput() {
    const std::size_t discarded = port_->discardInput();
    if (discarded > 0) {
        log_.log("port", "discarded " + std::to_string(discarded) + " bytes that came unasked");
    }
    return discarded;
}

}  // namespace varkon
