#include "link/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace varkon {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kEndOfReply = '\x04';

struct SpeedEntry {
    unsigned long baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},     {110, B110},   {134, B134},     {150, B150},
    {200, B200},         {300, B300},   {600, B600},   {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Plain decimal digits, at most nine of them.
bool ParseSmallNumber(std::string_view text, unsigned long& value) {
    if (!AllDigits(text) || text.size() > 9) return false;
    value = 0;
    for (char c : text) value = value * 10 + static_cast<unsigned long>(c - '0');
    return true;
}

// The line format as termios fields; false when this system's line cannot take its speed.
struct TermiosFormat {
    speed_t speed = B9600;
    tcflag_t cflags = 0;  // CSIZE, PARENB/PARODD and CSTOPB bits
};

bool ToTermios(const LineFormat& format, TermiosFormat& termiosFormat) {
    auto speed = std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                              [&](const SpeedEntry& e) { return e.baud == format.baud; });
    if (speed == std::end(kSpeeds)) return false;
    termiosFormat.speed = speed->speed;
    if (format.parity == Parity::kEven) termiosFormat.cflags |= PARENB;
    if (format.parity == Parity::kOdd) termiosFormat.cflags |= PARENB | PARODD;
    switch (format.dataBits) {
        case 8:
            termiosFormat.cflags |= CS8;
            break;
        case 7:
            termiosFormat.cflags |= CS7;
            break;
        case 6:
            termiosFormat.cflags |= CS6;
            break;
        case 5:
            termiosFormat.cflags |= CS5;
            break;
        default:
            return false;
    }
    if (format.stopBits == 2) {
        termiosFormat.cflags |= CSTOPB;
    } else if (format.stopBits != 1) {
        return false;
    }
    return true;
}

int PollMilliseconds(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

}  // namespace

PosixSerialPort::~PosixSerialPort() {
    close();
}

std::string PosixSerialPort::DevicePath(const std::string& portName) {
    if (!portName.empty() && portName[0] == '/') return ToFsPath(portName).native();
    if (portName.size() < 4) return {};
    std::string prefix = portName.substr(0, 3);
    for (char& c : prefix) c = static_cast<char>(c | 0x20);
    unsigned long number = 0;
    if (prefix != "com" || !ParseSmallNumber(portName.substr(3), number) || number == 0) {
        return {};
    }
    const std::string variable = "VARKON_COM" + std::to_string(number);
    if (const char* device = std::getenv(variable.c_str()); device != nullptr && *device != 0) {
        return device;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

PortOpening PosixSerialPort::failed(PortOpening outcome, const std::string& what, int error) {
    openFailure_ = what + (error != 0 ? std::string(": ") + std::strerror(error) : std::string());
    // Another program's lock, or its exclusive hold on the terminal.
    if (outcome == PortOpening::kNotOpened &&
        (error == EWOULDBLOCK || error == EAGAIN || error == EBUSY)) {
        return PortOpening::kBusy;
    }
    return outcome;
}

PortOpening PosixSerialPort::open(const std::string& portName,
                                  const std::optional<LineFormat>& format) {
    close();
    openFailure_.clear();
    const std::string path = DevicePath(portName);
    if (path.empty()) {
        return failed(PortOpening::kNotOpened, "no serial device is named by the port name", 0);
    }

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(PortOpening::kNotOpened, path, errno);
    // flock first: TIOCEXCL alone leaves a window between two opens, and does not stop root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(PortOpening::kNotOpened, path + " is in use by another program", error);
    }
#ifdef TIOCEXCL
    // Fails only on something that is not a terminal; the line set-up then says so.
    (void)::ioctl(fd, TIOCEXCL);
#endif
    fd_ = fd;
    haveOriginal_ = ::tcgetattr(fd_, &original_) == 0;
    errno = 0;
    const bool applied = applyLineFormat(format);
    const int error = errno;
    // After the line settings, so that nothing taken in under the old ones is left either. A
    // register may still be answering the last command of a program that was killed.
    (void)discardInput();
    if (!applied) {
        return failed(PortOpening::kSetUpFailed,
                      path + ": line settings " +
                          (format ? LineFormatText(*format) : std::string("unreadable")),
                      error);
    }
    return PortOpening::kOpened;
}

bool PosixSerialPort::applyLineFormat(const std::optional<LineFormat>& lineFormat) {
    TermiosFormat format;
    termios line{};
    if (!lineFormat || !ToTermios(*lineFormat, format) || ::tcgetattr(fd_, &line) != 0) {
        return false;
    }

    ::cfmakeraw(&line);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
    line.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    line.c_cflag |= format.cflags | CLOCAL | CREAD;
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, format.speed) != 0 || ::cfsetospeed(&line, format.speed) != 0) {
        return false;
    }
    if (::tcsetattr(fd_, TCSANOW, &line) != 0) return false;

    // tcsetattr succeeds when any part of the request was taken; check what the line kept.
    termios applied{};
    if (::tcgetattr(fd_, &applied) != 0 || ::cfgetospeed(&applied) != format.speed ||
        (applied.c_cflag & CSIZE) != (format.cflags & CSIZE)) {
        return false;
    }
    return true;
}

void PosixSerialPort::close() {
    if (fd_ < 0) return;
    // Errors are of no interest here: a port that vanished is closed all the same.
    if (haveOriginal_) (void)::tcsetattr(fd_, TCSANOW, &original_);
#ifdef TIOCNXCL
    (void)::ioctl(fd_, TIOCNXCL);
#endif
    ::close(fd_);
    fd_ = -1;
    haveOriginal_ = false;
}

bool PosixSerialPort::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    const Clock::time_point deadline =
        Clock::now() + timings_.writePerByte * static_cast<long long>(bytes.size()) +
        timings_.writeExtra;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (Clock::now() >= deadline) return false;
            pollfd waitFor{fd_, POLLOUT, 0};
            int ready = ::poll(&waitFor, 1, PollMilliseconds(deadline));
            if (ready < 0 && errno != EINTR) return false;
            if (ready > 0 && (waitFor.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::size_t PosixSerialPort::discardInput() {
    if (fd_ < 0) return 0;
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0 || waiting < 0) waiting = 0;
    (void)::tcflush(fd_, TCIFLUSH);
    return static_cast<std::size_t>(waiting);
}

std::string PosixSerialPort::read(std::size_t maxBytes) {
    if (maxBytes == 0) return {};
    const Clock::time_point silentEnd =
        Clock::now() + timings_.readPerByte * static_cast<long long>(maxBytes) + timings_.readExtra;
    if (fd_ < 0) {
        // Nothing can arrive; the caller's wait loop must still not spin.
        std::this_thread::sleep_until(silentEnd);
        return {};
    }

    std::string received;
    auto deadline = silentEnd;
    bool hungUp = false;
    char buffer[256];
    while (received.size() < maxBytes) {
        if (Clock::now() >= deadline) break;
        pollfd waitFor{fd_, POLLIN, 0};
        int ready = ::poll(&waitFor, 1, PollMilliseconds(deadline));
        if (ready < 0) {
            if (errno == EINTR) continue;
            hungUp = true;
            break;
        }
        if (ready == 0) continue;
        if ((waitFor.revents & POLLIN) == 0) {
            hungUp = true;  // POLLHUP, POLLERR or POLLNVAL with nothing left to read
            break;
        }
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - received.size());
        ssize_t n = ::read(fd_, buffer, wanted);
        if (n > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
            if (std::memchr(buffer, kEndOfReply, static_cast<std::size_t>(n)) != nullptr) break;
            // The silent limit bounds the whole read, so the caller regains control (and
            // repaints) at least that often even while bytes trickle in.
            deadline = std::min(silentEnd, Clock::now() + timings_.readGap);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        hungUp = true;  // 0 or EIO: the other side hung up
        break;
    }
    // A hung-up line answers every read at once; pace the caller as a silent line would.
    if (hungUp && received.empty()) std::this_thread::sleep_until(silentEnd);
    return received;
}

std::unique_ptr<SerialPort> MakeSerialPort(const LinkTimings& timings) {
    return std::make_unique<PosixSerialPort>(timings);
}

}  // namespace varkon
