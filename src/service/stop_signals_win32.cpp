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
int WaitUntil(std::chrono::steady_clock::time_point until, std::intptr_t wake,
              std::intptr_t otherWake) {
    using Clock = std::chrono::steady_clock;
    const auto step = std::chrono::milliseconds(100);
    while (!gStop && Clock::now() < until) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        const auto slice = left < step ? left : step;
        HANDLE handles[2];
        int which[2];
        DWORD count = 0;
        if (wake != -1) {
            which[count] = 1;
            handles[count++] = reinterpret_cast<HANDLE>(wake);
        }
        if (otherWake != -1) {
            which[count] = 2;
            handles[count++] = reinterpret_cast<HANDLE>(otherWake);
        }
        if (count == 0) {
            std::this_thread::sleep_for(slice);
            continue;
        }
        const DWORD fired =
            WaitForMultipleObjects(count, handles, FALSE, static_cast<DWORD>(slice.count()));
        if (fired >= WAIT_OBJECT_0 && fired < WAIT_OBJECT_0 + count) {
            return which[fired - WAIT_OBJECT_0];
        }
    }
    return 0;
}

}  // namespace varkon
