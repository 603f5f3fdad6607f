// How soon a receipt starts: varkond in numbered mode against varkon-sim, and print files renamed
// into its folder whole, at uneven moments. Each sample runs from the rename to the moment the
// first byte of the receipt reaches the register (varkon-sim's transcript grows; an inotify watch
// on it wakes this process, so nothing here polls). --receipts=N sets how many, 40 by default;
// --varkond=PATH measures another build of varkond (an earlier commit's, say).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"

namespace varkon::bench {
namespace {

void ReceiptArrival(benchmark::State& state, int receipts, const std::string& varkond) {
    ScratchDir dir;
    const std::filesystem::path transcript = dir / "wire";
    Register sim({"--paper", "/dev/null", "--transcript", transcript.string()});
    if (!dir.ok() || sim.device.empty()) {
        state.SkipWithError("varkon-sim did not start");
        return;
    }
    std::optional<ChildProcess> service;
    if (!StartWaitingVarkond(service, dir, varkond, sim.device)) {
        state.SkipWithError("varkond did not reach its waiting state");
        return;
    }
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0 || ::inotify_add_watch(watch, transcript.c_str(), IN_MODIFY) < 0) {
        state.SkipWithError("no inotify watch on the transcript");
        return;
    }

    std::mt19937 random(7);  // the same uneven moments on every run
    std::uniform_int_distribution<int> pause(0, 1500);
    std::vector<double> samples;
    for (auto _ : state) {
        for (int i = 0; i < receipts; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            dir.write("print.tmp", " PRG KY1\r\n PRG KY2\r\n");
            std::error_code ec;
            const std::uintmax_t before = std::filesystem::file_size(transcript, ec);
            const auto renamed = Clock::now();
            std::filesystem::rename(dir / "print.tmp", dir / "print.1", ec);
            const std::uintmax_t after =
                WaitForGrowth(watch, transcript, before, renamed + std::chrono::seconds(10));
            const auto arrived = Clock::now();
            if (after == before) {
                state.SkipWithError("the receipt did not reach the register");
                break;
            }
            samples.push_back(MicrosecondsBetween(renamed, arrived) / 1000.0);
            // The whole receipt goes out and the file goes before the next one comes.
            const auto done = Clock::now() + std::chrono::seconds(10);
            while (std::filesystem::exists(dir / "print.1") && Clock::now() < done) {
                WaitForGrowth(watch, transcript, after,
                              Clock::now() + std::chrono::milliseconds(20));
            }
        }
        state.SetIterationTime(1);
    }
    ::close(watch);
    service->stop();
    state.counters["receipts"] = static_cast<double>(samples.size());
    state.counters["arrival_median_ms"] = Median(samples);
    state.counters["arrival_p99_ms"] = Percentile(samples, 0.99);
    state.counters["arrival_max_ms"] = Percentile(samples, 1.0);
}

}  // namespace
}  // namespace varkon::bench

int main(int argc, char** argv) {
    return varkon::bench::RunVarkondBenchmark(argc, argv, "BM_ReceiptArrival", "receipts", 40,
                                              varkon::bench::ReceiptArrival);
}
