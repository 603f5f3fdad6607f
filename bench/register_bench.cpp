// The register link against the real virtual register (varkon-sim, a child process on a
// pseudo-terminal): what one command costs beyond the register's own answer, and how close a
// 40-line receipt on a 9600-baud line with a 5 ms register comes to what the line allows. Both
// send as a receipt is sent: every answer is recorded in the job record, on the disk, before the
// next command goes out.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/job_record.h"
#include "bench_receipt.h"
#include "bench_support.h"
#include "config/line_format.h"
#include "config/pacing_delay.h"
#include "config/vat_table.h"
#include "greek/cp1253.h"
#include "link/register_link.h"
#include "platform/files.h"
#include "receipt/receipt_printer.h"

namespace varkon::bench {
namespace {

// The least a client can do for one command: write it, wait in poll, read until 0x04.
class BareClient {
  public:
    explicit BareClient(const std::string& device) {
        fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios line{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &line) == 0) {
            ::cfmakeraw(&line);
            ::tcsetattr(fd_, TCSANOW, &line);
        }
    }
    ~BareClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool ask(std::string_view command) {
        if (fd_ < 0 ||
            ::write(fd_, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
            return false;
        }
        char buffer[64];
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1) return false;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return false;
            if (std::find(buffer, buffer + n, '\x04') != buffer + n) return true;
        }
    }

  private:
    int fd_ = -1;
};

// The platform's port, counting what crosses the line both ways.
class CountingPort final : public SerialPort {
  public:
    explicit CountingPort(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}
    PortOpening open(const std::string& name, const std::optional<LineFormat>& format) override {
        return port_->open(name, format);
    }
    bool isOpen() const override { return port_->isOpen(); }
    void close() override { port_->close(); }
    bool write(std::string_view bytes) override {
        sent += static_cast<long long>(bytes.size());
        return port_->write(bytes);
    }
    std::string read(std::size_t maxBytes) override {
        std::string bytes = port_->read(maxBytes);
        received += static_cast<long long>(bytes.size());
        answers += std::count(bytes.begin(), bytes.end(), '\x04');
        return bytes;
    }

    long long sent = 0;
    long long received = 0;
    long long answers = 0;  // each answer ends with one 0x04

  private:
    std::unique_ptr<SerialPort> port_;
};

// Every iteration sends one command through SendCommand to one register and the same command
// from a bare client to a second, identical register, in alternating order, so that both see the
// same machine; the difference is what the program adds to a command.
void BM_CommandOverhead(benchmark::State& state) {
    Register viaLink({"--paper", "/dev/null"});
    Register viaBare({"--paper", "/dev/null"});
    ScratchDir programDir;  // no delay.inf: no pacing pause
    if (viaLink.device.empty() || viaBare.device.empty() || !programDir.ok()) {
        state.SkipWithError("varkon-sim did not start");
        return;
    }
    QuietNotices notices;
    // The link reads delay.inf before every pause, as the engine's does.
    RegisterLink link(notices, nullptr, LinkTimings{},
                      [&] { return ReadPacingDelay({}, programDir.path()); });
    const PortOpening opened = link.open(viaLink.device, LineFormatForSpeed("9600"));
    BareClient bare(viaBare.device);
    if (opened != PortOpening::kOpened) {
        state.SkipWithError("the port did not open");
        return;
    }
    JobRecord record(programDir / "varkon.job");
    if (!record.open() || !record.begin("bench.prn", FileContent{}, ReceiptSettings{})) {
        state.SkipWithError("the job record cannot be written");
        return;
    }
    link.attachJournal(&record);
    for (int i = 0; i < 100; ++i) {  // warm both paths up
        (void)link.send("KXCL", true);
        bare.ask("KXCL\r");
    }

    std::vector<double> linkUs, bareUs, extraUs;
    bool linkFirst = true;
    for (auto _ : state) {
        Clock::time_point t[4];
        bool answered = true;
        ExchangeResult result;
        if (linkFirst) {
            t[0] = Clock::now();
            result = link.send("KXCL", true);
            t[1] = t[2] = Clock::now();
            answered = bare.ask("KXCL\r");
            t[3] = Clock::now();
        } else {
            t[2] = Clock::now();
            answered = bare.ask("KXCL\r");
            t[3] = t[0] = Clock::now();
            result = link.send("KXCL", true);
            t[1] = Clock::now();
        }
        if (!result.ok() || !answered) {
            state.SkipWithError("no answer");
            break;
        }
        linkFirst = !linkFirst;
        linkUs.push_back(MicrosecondsBetween(t[0], t[1]));
        bareUs.push_back(MicrosecondsBetween(t[2], t[3]));
        extraUs.push_back(linkUs.back() - bareUs.back());
        state.SetIterationTime(linkUs.back() / 1e6);
    }
    link.close();
    state.counters["send_median_us"] = Median(linkUs);
    state.counters["send_p99_us"] = Percentile(linkUs, 0.99);
    state.counters["bare_median_us"] = Median(bareUs);
    state.counters["bare_p99_us"] = Percentile(bareUs, 0.99);
    state.counters["overhead_median_us"] = Median(extraUs);
    state.counters["overhead_p99_us"] = Percentile(extraUs, 0.99);
}
BENCHMARK(BM_CommandOverhead)->Iterations(3000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A grocery receipt of 40 lines: sales in Greek and Latin with whole and fractional quantities,
// two item discounts, a subtotal with a discount, two comments, a tender and the settlement.
std::string FortyLineReceipt() {
    const std::string sales[] = {
        " PLU 5201234567890 COCA COLA 330ML               2.000       1.50   13.00",
        Utf8ToCp1253(" PLU 5201234567891 Καφές ελληνικός 200g          1.000       3.20   13.00"),
        " PLU 5201234567892 WATER 500ML                   6.000       0.50   13.00",
        Utf8ToCp1253(" PLU 5201234567893 Ψωμί χωριάτικο                1.000       1.80   13.00"),
        Utf8ToCp1253(" PLU 5201234567894 Τυρί φέτα                     0.450      11.90   13.00"),
        " PLU 5201234567895 OLIVE OIL 1L                  1.000       9.40   13.00",
        Utf8ToCp1253(" PLU 5201234567896 Μπανάνες                      1.230       1.69   13.00"),
        " PLU 5201234567897 TOOTHPASTE                    1.000       2.95   24.00",
    };
    std::string text;
    for (int i = 0; i < 32; ++i) {
        text += sales[i % std::size(sales)] + "\r\n";
        if (i == 10 || i == 20) text += " mod    -10.00% EKPTOSH\r\n";
    }
    text += " sut       70.00\r\n";
    text += " dis      0.50\r\n";
    text += Utf8ToCp1253(" com  Ευχαριστούμε πολύ\r\n");
    text += Utf8ToCp1253(" com  Καλή σας μέρα\r\n");
    text += " to    1     100.00\r\n";
    text += " pay  1\r\n";
    return text;
}

// Whole receipts through the real port at 9600 baud into a register that takes 5 ms for every
// answer. What the line allows: every byte both ways at ten bits, plus the register's pause
// before each answer.
void BM_Receipt40At9600(benchmark::State& state) {
    constexpr double kBaud = 9600;
    constexpr double kLatencyMs = 5;
    Register sim({"--baud", "9600", "--latency", "5", "--paper", "/dev/null"});
    ScratchDir dir;
    if (sim.device.empty() || !dir.ok()) {
        state.SkipWithError("varkon-sim did not start");
        return;
    }
    SaveVatRates({24, 13, 6, 0, 0}, dir / "vats.dat");
    const std::string receipt = FortyLineReceipt();
    dir.write("print.prn", receipt);
    if (std::count(receipt.begin(), receipt.end(), '\n') != 40) {
        state.SkipWithError("the receipt is not 40 lines");
        return;
    }

    QuietNotices notices;
    JobRecord record(dir / "varkon.job");
    if (!record.open()) {
        state.SkipWithError("the job record cannot be written");
        return;
    }
    auto port = std::make_unique<CountingPort>(MakeSerialPort(LinkTimings{}));
    CountingPort& line = *port;
    RegisterLink link(notices, std::move(port), LinkTimings{},
                      [&] { return ReadPacingDelay({}, dir.path()); });
    if (link.open(sim.device, LineFormatForSpeed("9600")) != PortOpening::kOpened) {
        state.SkipWithError("the port did not open");
        return;
    }
    Cnv437869G converter;
    RegisterCharset charset;
    ReceiptPrinter printer(link, converter, charset, notices);
    printer.vatFile = dir / "vats.dat";
    const ReceiptSettings settings = BenchReceiptSettings();
    const std::string file = FromFsPath(dir / "print.prn");

    std::vector<double> takenMs, limitMs, ratios;
    long long sent = 0, received = 0, answers = 0;
    for (auto _ : state) {
        line.sent = line.received = line.answers = 0;
        const auto start = Clock::now();
        const std::optional<FileContent> content = ReadFileContent(file);
        if (!content || !record.begin(file, *content, settings)) {
            state.SkipWithError("the receipt could not be recorded");
            break;
        }
        link.attachJournal(&record);
        const auto result = printer.print(file, settings);
        link.attachJournal(nullptr);
        record.markSent();
        record.forget(record.jobs().back().id);
        const auto end = Clock::now();
        if (result.error != 0 || notices.boxes != 0 || result.stoppedAtLine != 0) {
            state.SkipWithError("the receipt did not go through");
            break;
        }
        sent = line.sent;
        received = line.received;
        answers = line.answers;
        const double limit = static_cast<double>(sent + received) * 10.0 / kBaud * 1000.0 +
                             static_cast<double>(answers) * kLatencyMs;
        takenMs.push_back(MicrosecondsBetween(start, end) / 1000.0);
        limitMs.push_back(limit);
        ratios.push_back(takenMs.back() / limit);
        state.SetIterationTime(takenMs.back() / 1000.0);
    }
    link.close();
    state.counters["receipt_median_ms"] = Median(takenMs);
    state.counters["receipt_max_ms"] = Percentile(takenMs, 1.0);
    state.counters["limit_ms"] = Median(limitMs);
    state.counters["ratio_median"] = Median(ratios);
    state.counters["bytes_sent"] = static_cast<double>(sent);
    state.counters["bytes_received"] = static_cast<double>(received);
    state.counters["answers"] = static_cast<double>(answers);
}
BENCHMARK(BM_Receipt40At9600)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varkon::bench

BENCHMARK_MAIN();
