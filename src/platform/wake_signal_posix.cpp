#include <fcntl.h>
#include <unistd.h>

#include "platform/wake_signal.h"

namespace varkon {

WakeSignal::WakeSignal() {
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
        handle_ = ends[0];
        writeEnd_ = ends[1];
    }
}

WakeSignal::~WakeSignal() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    if (writeEnd_ >= 0) ::close(static_cast<int>(writeEnd_));
}

void WakeSignal::wake() {
    if (writeEnd_ < 0) return;
    const char byte = 1;
    // A full pipe already wakes the reader: the byte is not needed then.
    [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(writeEnd_), &byte, 1);
}

void WakeSignal::take() {
    if (handle_ < 0) return;
    char drain[64];
    while (::read(static_cast<int>(handle_), drain, sizeof drain) > 0) {
    }
}

}  // namespace varkon
