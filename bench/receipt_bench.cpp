// Translating a long print file into a register that answers at once: the CPU cost of one key
// command through reading, translation, the Greek chain and the link, and the memory the
// translation needs as the file grows (it should not grow: lines are read one at a time). Run one
// size per process (--benchmark_filter=BM_TranslateReceipt/1000000$) for its own peak RSS.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "bench_receipt.h"
#include "bench_support.h"
#include "config/pacing_delay.h"
#include "config/vat_table.h"
#include "greek/cp1253.h"
#include "link/register_link.h"
#include "platform/files.h"
#include "receipt/receipt_printer.h"

namespace {

// Live and peak heap bytes of the whole program, kept by the allocation functions below.
struct HeapCount {
    std::atomic<long long> live{0};
    std::atomic<long long> peak{0};
};
HeapCount& Heap() {
    static HeapCount count;
    return count;
}

// A register that answers every command with 0x04 the moment it has arrived.
class InstantPort final : public varkon::SerialPort {
  public:
    explicit InstantPort(long long& commands) : commands_(commands) {}
    varkon::PortOpening open(const std::string&,
                             const std::optional<varkon::LineFormat>&) override {
        return varkon::PortOpening::kOpened;
    }
    bool isOpen() const override { return true; }
    void close() override {}
    bool write(std::string_view bytes) override {
        if (!bytes.empty() && bytes.back() == '\r') {
            ++commands_;
            ++answers_;
        }
        return true;
    }
    std::string read(std::size_t) override {
        if (answers_ == 0) return {};
        --answers_;
        return "\x04";
    }

  private:
    long long& commands_;
    int answers_ = 0;
};

// A receipt of `lines` lines: sales (Greek and Latin, whole and fractional quantities, codes),
// item and subtotal adjustments, comments and tenders, closed by one settlement.
void WriteReceipt(const std::filesystem::path& file, long lines) {
    const std::string block[] = {
        " PLU 5201234567890 COCA COLA 330ML               2.000       1.50   13.00",
        varkon::Utf8ToCp1253(
            " PLU 5201234567891 Καφές ελληνικός               2.500       2.30   13.00"),
        " PLU 5201234567892 WATER 500ML                   1.000       0.50   13.00",
        " mod    -10.00% EKPTOSH",
        varkon::Utf8ToCp1253(" com  Ευχαριστούμε πολύ"),
        " dis      0.50",
        " sut        2.20",
        " PLU 5201234567893 BREAD                        12.000       0.29   13.00",
        " to    1       5.00",
        " xyz unrecognised line",
    };
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (long i = 0; i + 1 < lines; ++i) out << block[i % std::size(block)] << "\r\n";
    out << " pay  1\r\n";
}

long long MaxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_TranslateReceipt(benchmark::State& state) {
    const long lines = static_cast<long>(state.range(0));
    const varkon::bench::ScratchDir dir;
    if (!dir.ok()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    varkon::SaveVatRates({0, 13, 0, 0, 0}, dir / "vats.dat");
    WriteReceipt(dir / "print.prn", lines);

    varkon::bench::QuietNotices notices;
    long long commands = 0;
    // The link reads delay.inf before every pause, as the engine's does.
    varkon::RegisterLink link(notices, std::make_unique<InstantPort>(commands),
                              varkon::LinkTimings{},
                              [&] { return varkon::ReadPacingDelay({}, dir.path()); });
    varkon::Cnv437869G converter;
    varkon::RegisterCharset charset;
    varkon::ReceiptPrinter printer(link, converter, charset, notices);
    printer.vatFile = dir / "vats.dat";
    const varkon::ReceiptSettings settings = varkon::bench::BenchReceiptSettings();
    const std::string file = varkon::FromFsPath(dir / "print.prn");

    const long long heapBefore = Heap().live.load();
    Heap().peak = heapBefore;
    for (auto _ : state) {
        const auto result = printer.print(file, settings);
        benchmark::DoNotOptimize(result.error);
    }
    state.counters["commands"] =
        benchmark::Counter(static_cast<double>(commands) / static_cast<double>(state.iterations()));
    state.counters["cpu_per_command"] = benchmark::Counter(
        static_cast<double>(commands), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["peak_heap_KiB"] = static_cast<double>(Heap().peak.load() - heapBefore) / 1024.0;
    state.counters["max_rss_KiB"] = static_cast<double>(MaxRssKiB());
    if (notices.boxes != 0) state.SkipWithError("the receipt raised a message");
}
BENCHMARK(BM_TranslateReceipt)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Counting allocation functions: every size is taken from the allocator itself, so the sized and
// unsized deletes agree. Kept out of line so the compiler does not pair malloc with delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    const long long live = Heap().live += static_cast<long long>(::malloc_usable_size(p));
    long long peak = Heap().peak.load();
    while (live > peak && !Heap().peak.compare_exchange_weak(peak, live)) {
    }
    return p;
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    Heap().live -= static_cast<long long>(::malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

BENCHMARK_MAIN();
