// varkond's HTTP interface timed from outside: the real varkond and varkon-sim in a scratch
// folder, a real HTTP client (cpp-httplib), and the register's transcript watched with inotify
// as arrival_bench watches it, so nothing here polls the wire.
//   BM_PutToWire        from sending PUT /receipts/{new key} to the receipt's first byte at the
//                       register; --puts=N of them, 25 by default.
//   BM_StatusUnderLoad  GET /status from 50 clients at once (a thread and a keep-alive
//                       connection each) while a long receipt prints, and that receipt's time
//                       per command then, with no HTTP client at all, and from a varkond without
//                       an [http] line; --rounds=N of each, 1 by default.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace varkon::bench {
namespace {

constexpr int kStatusClients = 50;
constexpr int kLongReceiptSales = 300;
// The HTTP interface lets one address hand in 10 receipts a second (30 at once); a PUT every
// 110 ms or more never meets that limit, so every sample is a receipt that prints.
constexpr auto kLeastPutSpacing = std::chrono::milliseconds(110);

// A port on the loopback that nothing holds now.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (s >= 0) ::close(s);
    return port;
}

// A receipt of `sales` sale lines (two products by turns) and a tender that covers them.
std::string LongReceipt(int sales) {
    std::string text;
    for (int i = 0; i < sales; ++i) {
        text +=
            i % 2 == 0
                ? " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n"
                : " PLU 5209876543210 PIE                           1.000       2.20   13.00\r\n";
    }
    return text + " to    1    1000.00\r\n";
}

const std::string kShortReceipt =
    " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n"
    " PLU 5209876543210 PIE                           1.000       2.20   13.00\r\n"
    " to    1      10.00\r\n";

// varkon-sim and varkond in a scratch folder of their own, varkond waiting for receipts (by
// HTTP too when `http`), and an inotify watch on the register's transcript.
class Rig {
  public:
    Rig(const std::vector<std::string>& registerOptions, const std::string& varkond, bool http)
        : sim_(Options(registerOptions, dir_ / "wire")) {
        if (!dir_.ok() || sim_.device.empty()) {
            error = "varkon-sim did not start";
            return;
        }
        // vats.dat: the rates 24, 13, 6, 0, 0 as five little-endian doubles.
        dir_.write("vats.dat", std::string("\0\0\0\0\0\0\x38\x40\0\0\0\0\0\0\x2a\x40"
                                           "\0\0\0\0\0\0\x18\x40",
                                           24) +
                                   std::string(16, '\0'));
        port = http ? FreePort() : 0;
        const std::string settings =
            http ? "[http] 127.0.0.1:" + std::to_string(port) + "\r\n" : std::string();
        if (!StartWaitingVarkond(service_, dir_, varkond, sim_.device, settings)) {
            error = "varkond did not reach its waiting state";
            return;
        }
        if (http) {
            const std::string serving = "http://127.0.0.1:" + std::to_string(port);
            const auto patience = Clock::now() + std::chrono::seconds(10);
            while (dir_.read("varkond.log").find(serving) == std::string::npos) {
                if (Clock::now() > patience || !service_->running()) {
                    error = "varkond did not serve HTTP";
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            token = dir_.read("http.token");
            while (!token.empty() && std::isspace(static_cast<unsigned char>(token.back()))) {
                token.pop_back();
            }
        }
        watch_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch_ < 0 || ::inotify_add_watch(watch_, wire().c_str(), IN_MODIFY) < 0) {
            error = "no inotify watch on the transcript";
        }
    }
    ~Rig() {
        if (watch_ >= 0) ::close(watch_);
        if (service_) service_->stop();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    std::filesystem::path wire() const { return dir_ / "wire"; }
    std::uintmax_t wireSize() const {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(wire(), ec);
        return ec ? 0 : size;
    }
    std::uintmax_t waitForGrowth(std::uintmax_t size, Clock::time_point until) const {
        return WaitForGrowth(watch_, wire(), size, until);
    }
    httplib::Client client() const {
        httplib::Client client("127.0.0.1", port);
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true);  // as a browser does: no 40 ms wait for an acknowledgement
        client.set_read_timeout(std::chrono::seconds(70));
        client.set_bearer_token_auth(token);
        return client;
    }
    const ScratchDir& dir() const { return dir_; }

    std::string error;
    int port = 0;
    std::string token;

  private:
    static std::vector<std::string> Options(std::vector<std::string> options,
                                            const std::filesystem::path& transcript) {
        options.insert(options.end(),
                       {"--paper", "/dev/null", "--transcript", transcript.string()});
        return options;
    }

    ScratchDir dir_;
    Register sim_;
    std::optional<ChildProcess> service_;
    int watch_ = -1;
};

// How one receipt went over the wire: from the first byte heard to the last growth of the
// transcript, and the commands (each ends with CR) in between.
struct WireRun {
    Clock::time_point first;
    Clock::time_point last;
    std::size_t commands = 0;
    bool ok = false;

    double perCommandMs() const {
        return commands < 2
                   ? 0
                   : MicrosecondsBetween(first, last) / 1000.0 / static_cast<double>(commands - 1);
    }
};

// Starts a receipt with `hand` and watches the wire until `ended` says it is over; `atGrowth`
// runs at the first and at every later growth (with the moment).
WireRun WatchReceipt(const Rig& rig, const std::function<void()>& hand,
                     const std::function<bool()>& ended,
                     const std::function<void(Clock::time_point)>& atGrowth = {}) {
    WireRun run;
    const std::uintmax_t before = rig.wireSize();
    hand();
    std::uintmax_t size = rig.waitForGrowth(before, Clock::now() + std::chrono::seconds(20));
    run.first = run.last = Clock::now();
    if (size == before) return run;
    if (atGrowth) atGrowth(run.first);
    const auto patience = Clock::now() + std::chrono::seconds(120);
    while (!ended() && Clock::now() < patience) {
        const std::uintmax_t grown =
            rig.waitForGrowth(size, Clock::now() + std::chrono::milliseconds(20));
        if (grown > size) {
            size = grown;
            run.last = Clock::now();
            if (atGrowth) atGrowth(run.last);
        }
    }
    if (rig.wireSize() > size) {  // grew between the last look and the end
        size = rig.wireSize();
        run.last = Clock::now();
    }
    const std::string wire = rig.dir().read("wire");
    const std::string_view bytes = std::string_view(wire).substr(before, size - before);
    run.commands = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
    run.ok = ended() && run.commands > 1;
    return run;
}

// A receipt handed in by PUT ?wait, which answers once it has printed; watched on the wire.
WireRun PutAndWatch(const Rig& rig, const std::string& key, const std::string& body,
                    const std::function<void(Clock::time_point)>& atGrowth = {}) {
    std::atomic<bool> answered{false};
    std::thread putting;
    const WireRun run = WatchReceipt(
        rig,
        [&] {
            putting = std::thread([&] {
                httplib::Client client = rig.client();
                client.Put("/receipts/" + key + "?wait=60", body, "text/plain");
                answered = true;
            });
        },
        [&] { return answered.load(); }, atGrowth);
    putting.join();
    return run;
}

void PutToWire(benchmark::State& state, int puts, const std::string& varkond) {
    Rig rig({}, varkond, true);
    if (!rig.error.empty()) {
        state.SkipWithError(rig.error.c_str());
        return;
    }
    httplib::Client client = rig.client();
    std::mt19937 random(11);  // the same uneven moments on every run
    std::uniform_int_distribution<int> pause(0, 300);
    std::vector<double> samples, answers;
    for (auto _ : state) {
        for (int i = 0; i < puts; ++i) {
            const auto earliest = Clock::now() + kLeastPutSpacing;
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            std::this_thread::sleep_until(earliest);
            const std::string key = "bench-" + std::to_string(i);
            const std::uintmax_t before = rig.wireSize();
            // The PUT goes from a thread of its own, so that the wire is watched from the moment
            // the request leaves; its answer may come after the first command.
            Clock::time_point sent, answered;
            int status = 0;
            std::thread putting([&] {
                sent = Clock::now();
                const auto answer = client.Put("/receipts/" + key, kShortReceipt, "text/plain");
                answered = Clock::now();
                status = answer ? answer->status : 0;
            });
            const std::uintmax_t after =
                rig.waitForGrowth(before, Clock::now() + std::chrono::seconds(10));
            const auto arrived = Clock::now();
            putting.join();
            if (after == before || status != 201) {
                state.SkipWithError("the receipt did not reach the register");
                break;
            }
            samples.push_back(MicrosecondsBetween(sent, arrived) / 1000.0);
            answers.push_back(MicrosecondsBetween(sent, answered) / 1000.0);
            // The whole receipt goes out before the next one comes.
            const auto done = client.Get("/receipts/" + key + "?wait=10");
            if (!done || done->body.find("\"done\"") == std::string::npos) {
                state.SkipWithError("the receipt did not print");
                break;
            }
        }
        state.SetIterationTime(1);
    }
    state.counters["puts"] = static_cast<double>(samples.size());
    state.counters["put_median_ms"] = Median(samples);
    state.counters["put_p99_ms"] = Percentile(samples, 0.99);
    state.counters["put_max_ms"] = Percentile(samples, 1.0);
    // The 201 alone: the receipt is on the disk before it is answered.
    state.counters["put_answer_median_ms"] = Median(answers);
}

// Fifty clients asking for the status as fast as they are answered, from the moment they are
// made until they are dropped.
class StatusHammer {
  public:
    explicit StatusHammer(const Rig& rig) {
        for (int i = 0; i < kStatusClients; ++i) {
            threads_.emplace_back([this, &rig] {
                httplib::Client client = rig.client();
                while (!stop_) {
                    const auto answer = client.Get("/status");
                    ++(answer && answer->status == 200 ? answered_ : failed_);
                }
            });
        }
    }
    ~StatusHammer() {
        stop_ = true;
        for (auto& thread : threads_) thread.join();
    }
    long answered() const { return answered_; }
    long failed() const { return failed_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<long> answered_{0};
    std::atomic<long> failed_{0};
    std::vector<std::thread> threads_;
};

// The register of a shop: 9600 baud, 5 ms before each answer (as register_bench's receipt).
const std::vector<std::string> kShopRegister = {"--baud", "9600", "--latency", "5"};

void StatusUnderLoad(benchmark::State& state, int rounds, const std::string& varkond) {
    const std::string receipt = LongReceipt(kLongReceiptSales);
    std::vector<double> quiet, loaded, withoutHttp, rates;
    long failures = 0;
    std::size_t commands = 0;
    for (auto _ : state) {
        {
            Rig rig(kShopRegister, varkond, true);
            if (!rig.error.empty()) {
                state.SkipWithError(rig.error.c_str());
                return;
            }
            for (int round = 0; round < rounds; ++round) {
                const WireRun alone = PutAndWatch(rig, "quiet-" + std::to_string(round), receipt);
                StatusHammer hammer(rig);
                std::this_thread::sleep_for(std::chrono::milliseconds(500));  // all connected
                // The answers counted from the receipt's first byte to its last.
                std::optional<long> firstCount;
                long lastCount = 0;
                const WireRun busy = PutAndWatch(rig, "busy-" + std::to_string(round), receipt,
                                                 [&](Clock::time_point) {
                                                     lastCount = hammer.answered();
                                                     if (!firstCount) firstCount = lastCount;
                                                 });
                failures += hammer.failed();
                if (!alone.ok || !busy.ok) {
                    state.SkipWithError("the long receipt did not print");
                    return;
                }
                commands = busy.commands;
                quiet.push_back(alone.perCommandMs());
                loaded.push_back(busy.perCommandMs());
                rates.push_back(static_cast<double>(lastCount - *firstCount) * 1e6 /
                                MicrosecondsBetween(busy.first, busy.last));
            }
        }
        Rig rig(kShopRegister, varkond, false);
        if (!rig.error.empty()) {
            state.SkipWithError(rig.error.c_str());
            return;
        }
        const std::filesystem::path file = rig.dir() / "print.1";
        for (int round = 0; round < rounds; ++round) {
            const WireRun run = WatchReceipt(
                rig,
                [&] {
                    rig.dir().write("print.tmp", receipt);
                    std::error_code ec;
                    std::filesystem::rename(rig.dir() / "print.tmp", file, ec);
                },
                [&] { return !std::filesystem::exists(file); });
            if (!run.ok) {
                state.SkipWithError("the long receipt did not print from the folder");
                return;
            }
            withoutHttp.push_back(run.perCommandMs());
        }
        state.SetIterationTime(1);
    }
    state.counters["commands"] = static_cast<double>(commands);
    state.counters["status_per_s"] = Median(rates);
    state.counters["status_failures"] = static_cast<double>(failures);
    state.counters["command_quiet_ms"] = Median(quiet);
    state.counters["command_loaded_ms"] = Median(loaded);
    state.counters["command_no_http_ms"] = Median(withoutHttp);
    state.counters["loaded_over_quiet"] = Median(loaded) / Median(quiet);
    state.counters["loaded_over_no_http"] = Median(loaded) / Median(withoutHttp);
}

}  // namespace
}  // namespace varkon::bench

// --puts=N and --rounds=N are this program's own, and --varkond=PATH (another build of
// varkond); the rest goes to Google Benchmark (--benchmark_filter picks one of the two).
int main(int argc, char** argv) {
    using namespace varkon::bench;
    std::string varkond = VARKOND_PATH;
    int puts = 25, rounds = 1;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg.starts_with("--puts=")) {
            puts = std::max(1, std::atoi(argv[i] + 7));
        } else if (arg.starts_with("--rounds=")) {
            rounds = std::max(1, std::atoi(argv[i] + 9));
        } else if (arg.starts_with("--varkond=")) {
            varkond = std::string(arg.substr(10));
        } else {
            args.push_back(argv[i]);
        }
    }
    int left = static_cast<int>(args.size());
    benchmark::Initialize(&left, args.data());
    if (benchmark::ReportUnrecognizedArguments(left, args.data())) return 1;
    benchmark::RegisterBenchmark("BM_PutToWire",
                                 [=](benchmark::State& state) { PutToWire(state, puts, varkond); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark(
        "BM_StatusUnderLoad",
        [=](benchmark::State& state) { StatusUnderLoad(state, rounds, varkond); })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
