// PosixSerialPort: the register's serial line on a POSIX system (a tty or a pseudo-terminal).
// It owns the file descriptor, the advisory lock and the line's original termios, which it puts
// back on close. Reads and writes wait in poll on steady-clock deadlines, never in a spin.
//
// How the line is used: opened non-blocking with O_NOCTTY and O_CLOEXEC, locked with flock (so a
// second program, or a second open here, fails) and then TIOCEXCL; raw mode, 8 data bits, no
// flow control, CLOCAL so that modem lines do not matter. The time-outs follow the register's
// serial-line convention: a silent read lasts readPerByte per requested byte plus readExtra, a
// read with data ends readGap after the last byte, and a read returns at once when the
// end-of-reply byte 0x04 is in.
#pragma once

#include <termios.h>

#include <optional>
#include <string>
#include <string_view>

#include "link/link_timings.h"
#include "link/serial_port.h"

namespace varkon {

class PosixSerialPort final : public SerialPort {
  public:
    explicit PosixSerialPort(const LinkTimings& timings) : timings_(timings) {}
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PortOpening open(const std::string& portName, const std::optional<LineFormat>& format) override;
    bool isOpen() const override { return fd_ >= 0; }
    void close() override;
    bool write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    std::size_t discardInput() override;
    std::string openFailure() const override { return openFailure_; }

    // The device a port name stands for ("com1" → $VARKON_COM1 or /dev/ttyS0, "/dev/x" → itself);
    // empty when the name is neither form.
    static std::string DevicePath(const std::string& portName);

  private:
    bool applyLineFormat(const std::optional<LineFormat>& format);
    PortOpening failed(PortOpening outcome, const std::string& what, int error);

    LinkTimings timings_;
    int fd_ = -1;
    bool haveOriginal_ = false;
    termios original_{};
    std::string openFailure_;
};

}  // namespace varkon
