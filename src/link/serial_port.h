// SerialPort: the one serial line to the register, behind an interface so that the exchange is
// the same on POSIX (termios + poll) and Windows (the Win32 comm calls).
//
// Port names: "comN" (any case) is the N-th serial port; on POSIX it is the device named by the
// environment variable VARKON_COMN when set (VARKON_COM1=/dev/ttyUSB0), else /dev/ttyS<N-1>.
// A name beginning with "/" is a device path.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/line_format.h"
#include "link/link_timings.h"

namespace varkon {

// How an open ended. kBusy: another program holds the port. kSetUpFailed: the port opened but
// the line format could not be applied (the port stays open).
enum class PortOpening { kOpened, kNotOpened, kBusy, kSetUpFailed };

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the port exclusively and applies the line format. An empty format (settings that
    // did not read as one) opens the port all the same and fails its set-up, as a format the line
    // cannot take does. Nothing received before the open is kept: it was meant for whoever had
    // the port before.
    virtual PortOpening open(const std::string& portName,
                             const std::optional<LineFormat>& format) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    // Writes all bytes within the write time-out; false when that failed (nobody is told: the
    // exchange then times out as with a silent register).
    virtual bool write(std::string_view bytes) = 0;

    // One bounded read of up to maxBytes. With nothing on the line it returns empty after
    // readPerByte * maxBytes + readExtra; once bytes arrive it returns readGap after the last
    // one, as soon as maxBytes are in, or at once when an end-of-reply byte 0x04 has arrived.
    virtual std::string read(std::size_t maxBytes) = 0;

    // Throws away whatever has arrived and not been read: an answer that came too late for the
    // command it belonged to, or one meant for a program that had the port before. Returns how
    // many bytes went, as far as the system tells (for the service's log). A port that keeps no
    // input of its own, as a test double, has nothing to throw away.
    virtual std::size_t discardInput() { return 0; }

    // What the system said when the last open failed ("/dev/ttyS0: No such file or directory"),
    // for the service's log; the operator's message names only the port. Empty after a success.
    virtual std::string openFailure() const { return {}; }
};

// The platform's port (PosixSerialPort or Win32SerialPort) with the given timings.
std::unique_ptr<SerialPort> MakeSerialPort(const LinkTimings& timings);

}  // namespace varkon
