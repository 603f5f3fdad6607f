#include "service/logging_serial_port.h"

#include "greek/cp1253.h"

namespace varkon {

int LoggingSerialPort::open(const std::string& portName, const std::string& lineSettings) {
    const int status = port_->open(portName, lineSettings);
    log_.log("port", "open " + Cp1253ToUtf8(portName) + " " + lineSettings + " -> " +
                         std::to_string(status));
    if (status != 0) log_.log("port", "not opened: " + port_->openFailure());
    return status;
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
