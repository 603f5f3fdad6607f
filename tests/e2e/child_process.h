// What the tests that run the real programs (varkond, varkon-sim) share: the child process, and
// a bounded wait for a condition.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/child_process.h"

namespace varkon::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Child = test::ChildProcess;

// Polls a condition until it holds or a generous limit passes (a stuck run fails, never hangs).
inline bool Eventually(const std::function<bool()>& condition) {
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace varkon::e2e
