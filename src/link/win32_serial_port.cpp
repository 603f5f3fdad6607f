#ifdef _WIN32

#include "link/win32_serial_port.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace varkon {

namespace {

using Clock = std::chrono::steady_clock;

DWORD Milliseconds(std::chrono::milliseconds value) {
    return static_cast<DWORD>(std::clamp<long long>(value.count(), 0, 0x7fffffff));
}

// The Sleep call takes whole milliseconds; waits until the steady clock reaches `end`.
void SleepUntil(Clock::time_point end) {
    while (true) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) return;
        ::Sleep(Milliseconds(left));
    }
}

}  // namespace

Win32SerialPort::~Win32SerialPort() {
    close();
}

std::string Win32SerialPort::DeviceName(const std::string& portName) {
    if (portName.size() < 4) return portName;
    std::string prefix = portName.substr(0, 3);
    for (char& c : prefix) c = static_cast<char>(c | 0x20);
    const std::string digits = portName.substr(3);
    if (prefix != "com" || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return portName;
    }
    // COM1 to COM9 are also known by their plain names; the rest only in the device namespace.
    return std::stoi(digits) >= 10 ? "\\\\.\\" + portName : portName;
}

PortOpening Win32SerialPort::open(const std::string& portName,
                                  const std::optional<LineFormat>& format) {
    close();
    openFailure_.clear();
    const std::string device = DeviceName(portName);
    HANDLE handle = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        openFailure_ = device + ": Windows error " + std::to_string(error);
        // A port is never shared: another program that has it open denies us access.
        const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        return busy ? PortOpening::kBusy : PortOpening::kNotOpened;
    }
    handle_ = handle;
    open_ = true;

    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = Milliseconds(timings_.readGap);
    timeouts.ReadTotalTimeoutMultiplier = Milliseconds(timings_.readPerByte);
    timeouts.ReadTotalTimeoutConstant = Milliseconds(timings_.readExtra);
    // Both totals zero would mean "no total limit": a read on a silent line would never end.
    if (timeouts.ReadTotalTimeoutMultiplier == 0 && timeouts.ReadTotalTimeoutConstant == 0) {
        timeouts.ReadTotalTimeoutConstant = 1;
    }
    timeouts.WriteTotalTimeoutMultiplier = Milliseconds(timings_.writePerByte);
    timeouts.WriteTotalTimeoutConstant = Milliseconds(timings_.writeExtra);
    (void)::SetCommTimeouts(handle, &timeouts);

    // The system builds the line from the text form, as the mode command reads it.
    const std::string lineSettings = format ? LineFormatText(*format) : std::string();
    DCB line{};
    line.DCBlength = sizeof(DCB);
    const bool lineSet =
        format && ::BuildCommDCBA(lineSettings.c_str(), &line) && ::SetCommState(handle, &line);
    const DWORD error = lineSet ? 0 : ::GetLastError();
    // After the line settings, so that nothing taken in under the old ones is left either. A
    // register may still be answering the last command of a program that was killed.
    (void)discardInput();
    if (!lineSet) {
        openFailure_ = device + ": line settings " +
                       (format ? lineSettings : std::string("unreadable")) + ": Windows error " +
                       std::to_string(error);
        return PortOpening::kSetUpFailed;
    }
    return PortOpening::kOpened;
}

void Win32SerialPort::close() {
    if (!open_) return;
    (void)::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    open_ = false;
}

bool Win32SerialPort::write(std::string_view bytes) {
    if (!open_) return false;
    if (bytes.empty()) return true;
    DWORD written = 0;
    BOOL ok = ::WriteFile(static_cast<HANDLE>(handle_), bytes.data(),
                          static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size();
}

std::size_t Win32SerialPort::discardInput() {
    if (!open_) return 0;
    const HANDLE handle = static_cast<HANDLE>(handle_);
    DWORD errors = 0;
    COMSTAT status{};
    const bool counted = ::ClearCommError(handle, &errors, &status) != 0;
    (void)::PurgeComm(handle, PURGE_RXCLEAR);
    return counted ? status.cbInQue : 0;
}

std::string Win32SerialPort::read(std::size_t maxBytes) {
    if (maxBytes == 0) return {};
    const Clock::time_point silentEnd =
        Clock::now() + timings_.readPerByte * static_cast<long long>(maxBytes) + timings_.readExtra;
    std::string received(maxBytes, '\0');
    DWORD got = 0;
    if (!open_ || !::ReadFile(static_cast<HANDLE>(handle_), received.data(),
                              static_cast<DWORD>(maxBytes), &got, nullptr)) {
        // A closed port, or one that vanished (an unplugged adapter), fails at once; pace the
        // caller as a silent line would.
        SleepUntil(silentEnd);
        return {};
    }
    // An empty read before its time (a driver that gave up early) must not let the caller spin.
    if (got == 0) SleepUntil(silentEnd);
    received.resize(got);
    return received;
}

std::unique_ptr<SerialPort> MakeSerialPort(const LinkTimings& timings) {
    return std::make_unique<Win32SerialPort>(timings);
}

}  // namespace varkon

#endif  // _WIN32
