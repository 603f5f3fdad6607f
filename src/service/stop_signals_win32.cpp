#include <windows.h>

#include <atomic>
#include <thread>

#include "service/stop_signals.h"

namespace varkon {
namespace {

std::atomic<bool> gStop{false};

BOOL WINAPI OnConsoleEvent(DWORD) {
    gStop = true;
    return TRUE;
}

}  // namespace

bool StopRequested() {
    return gStop;
}

void InstallStopHandlers() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// Sleeps in steps short enough to notice a stop request.
void WaitUntil(std::chrono::steady_clock::time_point until) {
    using Clock = std::chrono::steady_clock;
    const auto step = std::chrono::milliseconds(100);
    while (!gStop && Clock::now() < until) {
        auto left = until - Clock::now();
        std::this_thread::sleep_for(left < step ? left : step);
    }
}

}  // namespace varkon
