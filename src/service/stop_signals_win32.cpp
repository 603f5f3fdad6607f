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

void RequestStop() {
    gStop = true;
}

void InstallStopHandlers() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// Waits in steps short enough to notice a stop request (the console handler runs on a thread of
// its own and can only set the flag).
bool WaitUntil(std::chrono::steady_clock::time_point until, std::intptr_t wake) {
    using Clock = std::chrono::steady_clock;
    const auto step = std::chrono::milliseconds(100);
    while (!gStop && Clock::now() < until) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        const auto slice = left < step ? left : step;
        if (wake == -1) {
            std::this_thread::sleep_for(slice);
        } else if (WaitForSingleObject(reinterpret_cast<HANDLE>(wake),
                                       static_cast<DWORD>(slice.count())) == WAIT_OBJECT_0) {
            return true;
        }
    }
    return false;
}

}  // namespace varkon
