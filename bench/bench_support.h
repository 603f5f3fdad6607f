// What the benchmarks share: a scratch folder, child processes (the real varkon-sim and varkond)
// started without a shell, and percentiles of timed samples. Each benchmark owns its children and
// folders and ends them before it returns. What the receipt benchmarks share besides is in
// bench_receipt.h.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include <string_view>

#include "support/child_process.h"

extern char** environ;

namespace varkon::bench {

using test::ChildProcess;

using Clock = std::chrono::steady_clock;

// A fresh folder under the temporary directory, removed with its contents at the end.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varkon-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    std::filesystem::path path_;
};

#ifdef VARKON_SIM_PATH
// The virtual register with the given options; `device` is its pseudo-terminal, empty when it
// did not start.
class Register {
  public:
    explicit Register(std::vector<std::string> options) : process_(Arguments(std::move(options))) {
        device = process_.readLine();
    }
    std::string device;

  private:
    static std::vector<std::string> Arguments(std::vector<std::string> options) {
        options.insert(options.begin(), VARKON_SIM_PATH);
        return options;
    }
    ChildProcess process_;
};
#endif

// The value below which `share` (0..1) of the samples lie (nearest rank).
inline double Percentile(std::vector<double> samples, double share) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1));
    return samples[rank];
}

inline double Median(std::vector<double> samples) {
    return Percentile(std::move(samples), 0.5);
}

// Waits until the file has grown past `size` or `until`; the new size, or `size` on time-out.
// `watch` is an inotify descriptor (non-blocking) watching the file for IN_MODIFY, so the wait
// wakes the moment the file grows instead of polling it.
inline std::uintmax_t WaitForGrowth(int watch, const std::filesystem::path& file,
                                    std::uintmax_t size, Clock::time_point until) {
    for (;;) {
        std::error_code ec;
        const std::uintmax_t now = std::filesystem::file_size(file, ec);
        if (!ec && now > size) return now;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return size;
        pollfd p{watch, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000))) > 0) {
            char events[4096];
            [[maybe_unused]] const ssize_t n = ::read(watch, events, sizeof events);
        }
    }
}

inline double MicrosecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

#ifdef VARKOND_PATH
// Starts varkond (the program at `varkond`) in `dir` in numbered mode, its port the register at
// `device`, with param.ini's `moreSettings` lines (CR LF each) besides; true once the register
// has answered and it waits for print files (within 30 s).
inline bool StartWaitingVarkond(std::optional<ChildProcess>& service, const ScratchDir& dir,
                                const std::string& varkond, const std::string& device,
                                const std::string& moreSettings = "") {
    dir.write("param.ini",
              "[port] com1\r\n[baud] 9600\r\n[file] print\r\n[ecrt] mikro\r\n"
              "[multi type] true\r\n[Defacto_]=no\r\n[location] \r\n" +
                  moreSettings);
    service.emplace(std::vector<std::string>{varkond}, dir.path(),
                    std::vector<std::string>{"VARKON_COM1=" + device}, dir / "varkond.log");
    const std::string waiting = "Αναμονή Για Στοιχεία....";
    const auto patience = Clock::now() + std::chrono::seconds(30);
    while (dir.read("varkond.log").find(waiting) == std::string::npos) {
        if (Clock::now() > patience || !service->running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The main of a benchmark that watches varkond from outside, run once: `--COUNT=N` (how many
// seconds or receipts, `count` by default) and `--varkond=PATH` (another build of varkond, an
// earlier commit's, say) are its own; the rest goes to Google Benchmark.
template <class Body>
int RunVarkondBenchmark(int argc, char** argv, const char* name, std::string_view countOption,
                        int count, Body body) {
    std::string varkond = VARKOND_PATH;
    std::vector<char*> args;
    const std::string countPrefix = "--" + std::string(countOption) + "=";
    constexpr std::string_view kProgram = "--varkond=";
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg.starts_with(countPrefix)) {
            count = std::max(1, std::atoi(argv[i] + countPrefix.size()));
        } else if (arg.starts_with(kProgram)) {
            varkond = std::string(arg.substr(kProgram.size()));
        } else {
            args.push_back(argv[i]);
        }
    }
    int left = static_cast<int>(args.size());
    benchmark::Initialize(&left, args.data());
    if (benchmark::ReportUnrecognizedArguments(left, args.data())) return 1;
    benchmark::RegisterBenchmark(
        name, [count, varkond, body](benchmark::State& state) { body(state, count, varkond); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
#endif

}  // namespace varkon::bench
