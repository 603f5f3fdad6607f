#include <windows.h>

#include "platform/wake_signal.h"

namespace varkon {

WakeSignal::WakeSignal() {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // auto-reset: a wait takes it
    if (event != nullptr) handle_ = reinterpret_cast<std::intptr_t>(event);
}

WakeSignal::~WakeSignal() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void WakeSignal::wake() {
    if (handle_ != -1) SetEvent(reinterpret_cast<HANDLE>(handle_));
}

void WakeSignal::take() {
    if (handle_ != -1) ResetEvent(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace varkon
