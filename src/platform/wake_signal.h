// WakeSignal: lets one thread wake another that sleeps on a wait handle beside its timers — the
// HTTP intake wakes varkond's event loop the moment a receipt is handed in. A pipe on POSIX, an
// auto-reset event on Windows; wake_signal_posix.cpp and wake_signal_win32.cpp.
#pragma once

#include <cstdint>

namespace varkon {

class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // From any thread; never blocks. Several wakes before a take are one.
    void wake();
    // Clears the signal; the sleeping side calls it once woken.
    void take();
    // A descriptor that turns readable (POSIX), an event that is signalled (Windows); -1 when
    // the system could not make one.
    std::intptr_t waitHandle() const { return handle_; }

  private:
    std::intptr_t handle_ = -1;
    std::intptr_t writeEnd_ = -1;  // POSIX: the pipe's other end
};

}  // namespace varkon
