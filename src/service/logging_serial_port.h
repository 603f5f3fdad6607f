// LoggingSerialPort: the service's journal of the wire. It wraps the real serial port and logs
// every open, close, write and non-empty read (bytes escaped), and input thrown away unread,
// through the LogSurface before passing it on unchanged.
#pragma once

#include <memory>
#include <optional>

#include "link/serial_port.h"
#include "service/log_surface.h"

namespace varkon {

class LoggingSerialPort final : public SerialPort {
  public:
    LoggingSerialPort(std::unique_ptr<SerialPort> port, LogSurface& log)
        : port_(std::move(port)), log_(log) {}

    PortOpening open(const std::string& portName, const std::optional<LineFormat>& format) override;
    bool isOpen() const override { return port_->isOpen(); }
    void close() override;
    bool write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    std::size_t discardInput() override;
    std::string openFailure() const override { return port_->openFailure(); }

  private:
    std::unique_ptr<SerialPort> port_;
    LogSurface& log_;
};

}  // namespace varkon
