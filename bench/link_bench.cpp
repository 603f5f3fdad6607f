// One command's round trip through the register link (write, wait, read the 0x04 answer, read
// delay.inf) against a register on a pseudo-terminal that answers at once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "config/line_format.h"
#include "config/pacing_delay.h"
#include "link/register_link.h"
#include "support/quiet_notices.h"

namespace {

void BM_SendCommandRoundTrip(benchmark::State& state) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::string slave = ::ptsname(master);

    varkon::test::QuietNotices notices;
    const auto programDir =
        std::filesystem::temp_directory_path() / ("varkon-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(programDir);
    // The link reads delay.inf before every pause, as the engine's does.
    varkon::RegisterLink link(notices, nullptr, varkon::LinkTimings{},
                              [&] { return varkon::ReadPacingDelay({}, programDir); });
    if (link.open(slave, varkon::LineFormatForSpeed("9600")) != varkon::PortOpening::kOpened) {
        state.SkipWithError("the port did not open");
        ::close(master);
        return;
    }

    // The register: every carriage return is answered with 0x04 at once. It ends when the link
    // closes its side and the master reads an error.
    std::thread peer([master] {
        char buffer[512];
        while (true) {
            ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) return;
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\r' && ::write(master, "\x04", 1) != 1) return;
            }
        }
    });

    for (auto _ : state) {
        if (!link.send("KX1T1").ok()) {
            state.SkipWithError("no answer");
            break;
        }
    }
    link.close();
    peer.join();
    ::close(master);
    std::filesystem::remove_all(programDir);
}
BENCHMARK(BM_SendCommandRoundTrip)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
