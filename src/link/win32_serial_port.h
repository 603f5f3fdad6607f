// Win32SerialPort: the register's serial line on Windows, through the Win32 comm calls. It owns
// the port handle. The driver's own time-outs bound every read (20 ms after the last byte, at
// most 1 ms per requested byte plus 1 ms) and every write (1 ms per byte plus 10 ms).
#pragma once

#ifdef _WIN32

#include <optional>
#include <string>
#include <string_view>

#include "link/link_timings.h"
#include "link/serial_port.h"

namespace varkon {

class Win32SerialPort final : public SerialPort {
  public:
    explicit Win32SerialPort(const LinkTimings& timings) : timings_(timings) {}
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    PortOpening open(const std::string& portName, const std::optional<LineFormat>& format) override;
    bool isOpen() const override { return open_; }
    void close() override;
    bool write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    std::size_t discardInput() override;
    std::string openFailure() const override { return openFailure_; }

    // The name CreateFileA is given: COM10 and above need the device namespace prefix.
    static std::string DeviceName(const std::string& portName);

  private:
    LinkTimings timings_;
    void* handle_ = nullptr;  // a HANDLE, valid while open_
    bool open_ = false;
    std::string openFailure_;
};

}  // namespace varkon

#endif  // _WIN32
