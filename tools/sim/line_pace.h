// One direction of a serial line at a set speed, as a clock: a pseudo-terminal moves bytes at
// once, so the Simulator asks LinePace when they would have arrived on a real line (ten bit times
// a byte, one byte after another). Plain arithmetic on time points; the Simulator owns one each
// way and does the waiting.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace varkon::sim {

class LinePace {
  public:
    using Clock = std::chrono::steady_clock;

    // baud 0: a line without delay, which still keeps bytes in the order they were handed over.
    explicit LinePace(long baud)
        : byteTime_(baud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / baud)
                             : std::chrono::nanoseconds(0)) {}

    bool paced() const { return byteTime_.count() > 0; }

    // `count` bytes handed to the line at `at` go out as soon as the bytes before them have
    // gone; returns the moment the last of them has fully arrived at the far end.
    Clock::time_point pass(Clock::time_point at, std::size_t count) {
        free_ = std::max(at, free_) + byteTime_ * static_cast<long long>(count);
        return free_;
    }

  private:
    std::chrono::nanoseconds byteTime_;
    Clock::time_point free_{};  // when the byte on the line now has gone
};

}  // namespace varkon::sim
