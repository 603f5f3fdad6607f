// varkond at rest: the real service in numbered mode against the virtual register, looking for
// print files in an empty folder; the CPU time it takes while nothing arrives, as a share of one
// core. --idle_seconds=N sets how long it is watched, 60 s by default; --varkond=PATH measures
// another build of varkond (an earlier commit's, say).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace varkon::bench {
namespace {

// CPU time the process has used so far in nanoseconds: the scheduler's own count of every thread
// where the kernel keeps one, else user plus system time in clock ticks; -1 when unreadable.
long long CpuNanoseconds(pid_t pid) {
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::error_code ec;
    long long total = 0;
    bool counted = false;
    for (const auto& task : std::filesystem::directory_iterator(proc / "task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        long long onCpu = 0;
        if (!(in >> onCpu)) {
            counted = false;
            break;
        }
        total += onCpu;
        counted = true;
    }
    if (counted) return total;

    std::ifstream in(proc / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');  // the program name may hold blanks
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {  // fields 14 and 15: utime, stime
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) stime = std::atoll(field.c_str());
    }
    return (utime + stime) * (1'000'000'000LL / ::sysconf(_SC_CLK_TCK));
}

void VarkondIdle(benchmark::State& state, int idleSeconds, const std::string& varkond) {
    ScratchDir dir;
    Register sim({"--paper", "/dev/null"});
    if (!dir.ok() || sim.device.empty()) {
        state.SkipWithError("varkon-sim did not start");
        return;
    }
    std::optional<ChildProcess> service;
    if (!StartWaitingVarkond(service, dir, varkond, sim.device)) {
        state.SkipWithError("varkond did not reach its waiting state");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // start-up is not idling

    double cpuMs = 0, wallS = 0;
    for (auto _ : state) {
        const long long cpuBefore = CpuNanoseconds(service->pid());
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const long long cpuAfter = CpuNanoseconds(service->pid());
        const auto end = Clock::now();
        if (cpuBefore < 0 || cpuAfter < 0 || !service->running()) {
            state.SkipWithError("varkond ended while idle");
            return;
        }
        cpuMs = static_cast<double>(cpuAfter - cpuBefore) / 1e6;
        wallS = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(wallS);
    }
    service->stop();
    state.counters["cpu_ms"] = cpuMs;
    state.counters["wall_s"] = wallS;
    state.counters["cpu_percent_of_core"] = cpuMs / 10.0 / wallS;
}
}  // namespace
}  // namespace varkon::bench

int main(int argc, char** argv) {
    return varkon::bench::RunVarkondBenchmark(argc, argv, "BM_VarkondIdle", "idle_seconds", 60,
                                              varkon::bench::VarkondIdle);
}
