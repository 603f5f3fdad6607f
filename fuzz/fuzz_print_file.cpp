// Print-file translation on arbitrary files: the reader, the record rules, the number rules and
// the key commands, through a register that answers every command at once.
//
// Input layout: two settings bytes, then the print file.
//   byte 0: bits 0-1 register type (mikro, pos21, TECFP, none), bits 2-3 settlement currency
//           ("0" to "3"), bit 4 direct departments, bit 5 quantities, bit 6 keyboard locked,
//           bit 7 comments;
//   byte 1: bits 0-1 item codes ("true N", "true A", "falseN", none), bit 2 descriptions,
//           bits 3-5 the register's answer to every command (mostly "done", some error codes,
//           a reply that never ends).
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "config/param_settings.h"
#include "config/settings_values.h"
#include "config/vat_table.h"
#include "fuzz_support.h"
#include "greek/register_charset.h"
#include "greek/text_converter.h"
#include "link/register_link.h"
#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"
#include "support/quiet_notices.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Checks what the link writes and answers every command (a write ending in CR) with the one
// answer it was given, at once.
class AnsweringPort final : public varkon::SerialPort {
  public:
    explicit AnsweringPort(std::string answer) : answer_(std::move(answer)) {}
    varkon::PortOpening open(const std::string&,
                             const std::optional<varkon::LineFormat>&) override {
        return varkon::PortOpening::kOpened;
    }
    bool isOpen() const override { return true; }
    void close() override {}
    bool write(std::string_view bytes) override {
        written += bytes.size();
        if (!bytes.empty() && bytes.back() == '\r') ++pending_;
        // Every command is short enough for one write and ends at its last CR: a CR inside it
        // would end it early on the register, unless it is a deliberate CR LF line break.
        Check(bytes.size() <= 255);
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            if (bytes[i] == '\r') Check(bytes[i + 1] == '\n');
        }
        return true;
    }
    std::string read(std::size_t) override {
        if (pending_ == 0) return {};
        --pending_;
        return answer_;
    }

    std::size_t written = 0;

  private:
    std::string answer_;
    int pending_ = 0;
};

constexpr std::array<const char*, 8> kAnswers = {
    "\x04", "\x04", "\x04", "\x04", "DE2\x04", "DE07 xyz", "DE00", "xx",
};

// The settings bytes as param.ini would spell them, read the way the job loop reads them.
varkon::ReceiptSettings SettingsFrom(std::uint8_t first, std::uint8_t second) {
    static constexpr std::array<const char*, 4> kTypes = {"mikro", "pos21", "TECFP", ""};
    static constexpr std::array<const char*, 4> kCodes = {"true N", "true A", "falseN", ""};
    auto flag = [](bool on) { return std::string(on ? "true" : "fals"); };
    varkon::ParamSettings settings;
    settings.registerType = kTypes[first & 3];
    settings.currency = std::string(1, static_cast<char>('0' + ((first >> 2) & 3)));
    settings.directDepartments = flag(first & 0x10);
    settings.quantity = flag(first & 0x20);
    settings.keyboardOff = flag(first & 0x40);
    settings.comment = flag(first & 0x80);
    settings.printCode = kCodes[second & 3];
    settings.printDescription = flag(second & 4);
    return varkon::ReceiptSettingsOf(settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    if (size < 2) return 0;
    static const fuzz::MemFile printFile("print.prn");
    // The VAT table every sale looks its rate up in.
    static const fuzz::MemFile vatFile("vats.dat");
    static const bool vatsWritten = SaveVatRates({24, 13, 6, 0, 17}, vatFile.path()) == 0;
    Check(vatsWritten);

    const ReceiptSettings settings = SettingsFrom(data[0], data[1]);
    printFile.set(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));

    varkon::test::QuietNotices notices;  // a report record runs the daily Z report
    LinkTimings timings;
    timings.replyWindow = std::chrono::milliseconds(0);
    timings.reportReplyWindow = std::chrono::milliseconds(0);
    timings.attempts = 1;
    auto port = std::make_unique<AnsweringPort>(kAnswers[(data[1] >> 3) & 7]);
    AnsweringPort& wire = *port;
    RegisterLink link(notices, std::move(port), timings);
    Cnv437869G converter;
    RegisterCharset charset;
    Reports reports(link, notices);
    notices.reports = &reports;
    ReceiptPrinter printer(link, converter, charset, notices);
    printer.vatFile = vatFile.path();

    const PrintResult result = printer.print(printFile.path(), settings);
    Check(result.error == 0);
    Check(printer.receiptState().footerLines.empty());
    // A file without a single line sends nothing.
    if (size == 2) Check(wire.written == 0);
    return 0;
}
