#include "receipt/receipt_printer.h"

#include <algorithm>
#include <system_error>
#include <variant>

#include "greek/cp1253.h"
#include "greek/register_text.h"
#include "platform/files.h"
#include "receipt/print_file_reader.h"

namespace varkon {

namespace {

const char* const kFileNotFoundText = "Το αρχείο δεν βρέθηκε";
const char* const kFileAccessText = "Σφάλμα πρόσβασης στο αρχείο";
const char* const kUnknownVatCategory = "Ανύπαρκτη κατηγορία ΦΠΑ ";
const char* const kBadPrice = "Λανθασμένη τιμή είδους, το είδος δεν πουλήθηκε: ";
const char* const kPrintingStatus = "Εκτυπωση Ενεργή.. Παρακαλώ Περιμένετε";
const char* const kPrintingCaption = "Varkon - Eκτυπώνει";  // Latin E, as the window always had it
const char* const kReadAsUtf8 =
    "Το αρχείο εκτύπωσης είναι σε UTF-8 και μετατρέπεται σε κωδικοσελίδα 1253 : ";
const char* const kReadAsMixed =
    "Το αρχείο εκτύπωσης έχει γραμμές σε UTF-8 και σε κωδικοσελίδα 1253· κάθε χαρακτήρας "
    "μετράει μία στήλη : ";

// The counting pass lets the window paint this often.
constexpr std::size_t kLinesPerRepaint = 512;

PrintResult FileError(PrintFileReader::Status status) {
    if (status == PrintFileReader::Status::kNotFound) return {kErrFileNotFound, kFileNotFoundText};
    return {kErrCannotRead, kFileAccessText};
}

}  // namespace

PrintResult UnreadablePrintFile(const std::string& file) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(ToFsPath(file), ec);
    return FileError(exists ? PrintFileReader::Status::kUnreadable
                            : PrintFileReader::Status::kNotFound);
}

ReceiptPrinter::ReceiptPrinter(RegisterLink& link, TextConverter& converter,
                               RegisterCharset& charset, ReceiptNotices& notices)
    : link_(link), converter_(converter), charset_(charset), notices_(notices) {}

PrintResult ReceiptPrinter::print(const std::string& file, const ReceiptSettings& settings,
                                  std::optional<std::uint64_t> bytes) {
    // A receipt that failed half-way must not leave its footer on the next customer's receipt.
    state_ = ReceiptState{};
    const std::filesystem::path path = ToFsPath(file);

    std::size_t lines = 0;
    std::string text;
    bool utf8 = false;
    bool mixed = false;
    {
        PrintFileReader reader;
        const auto status = reader.open(path);
        if (status != PrintFileReader::Status::kOk) return FileError(status);
        if (bytes) reader.limitTo(*bytes);
        Utf8Tally tally;
        while (reader.next(text)) {
            if (++lines % kLinesPerRepaint == 0) notices_.repaint();
            tally.add(text);
        }
        if (reader.failed()) return FileError(PrintFileReader::Status::kUnreadable);
        utf8 = reader.looksUtf8();
        // UTF-8 with bytes that are not (a code page 1253 byte in a comment, say): neither
        // reading of the whole file keeps every column. Where its UTF-8 letters are at least as
        // many as such bytes it is read character by character; a code page 1253 file that only
        // happens to hold a pair of bytes that read as a UTF-8 letter stays as it is.
        mixed = !utf8 && tally.characters > 0 && tally.characters >= tally.strayBytes;
    }
    // Cut by bytes, a UTF-8 file's Greek letters would move every later column.
    if (utf8) notices_.showStatus(kReadAsUtf8 + Cp1253ToUtf8(file));
    if (mixed) notices_.showStatus(kReadAsMixed + Cp1253ToUtf8(file));
    const double maximum = lines == 0 ? 1.0 : static_cast<double>(lines);
    notices_.setProgressMax(maximum);

    PrintFileReader reader;
    const auto status = reader.open(path);
    if (status != PrintFileReader::Status::kOk) return FileError(status);
    if (bytes) reader.limitTo(*bytes);
    if (utf8) reader.readAsUtf8();
    if (mixed) reader.readAsMixed();
    double progress = 0;
    std::size_t lineNumber = 0;
    std::size_t records = 0;
    settlementRefusedAtLine_ = 0;
    while (reader.next(text)) {
        ++lineNumber;
        lineNumber_ = lineNumber;
        // The file may have grown since it was counted; the bar stops at its end.
        progress = std::min(progress + 1, maximum);
        notices_.setProgress(progress);
        if (!printLine(text, settings, records)) return PrintResult{0, {}, lineNumber};
    }
    if (reader.failed()) return FileError(PrintFileReader::Status::kUnreadable);

    if (!state_.footerLines.empty()) {
        const Sent sent = send(FooterCommands(state_));
        state_.footerLines.clear();
        // The footer follows the last line: a stop in it is told at that line.
        if (sent.stopped) return PrintResult{0, {}, std::max<std::size_t>(lineNumber, 1)};
    }
    return PrintResult{0, {}, 0, records, settlementRefusedAtLine_};
}

bool ReceiptPrinter::printLine(std::string_view text, const ReceiptSettings& settings,
                               std::size_t& records) {
    const ParseResult parsed = ParseRecord(text);
    // A line with a keyword counts, whatever the settings and its fields make of it.
    if (!std::holds_alternative<NotARecord>(parsed)) ++records;
    KeyCommands keys;
    if (const auto* record = std::get_if<PrintRecord>(&parsed)) {
        keys = KeyCommandsFor(*record, prepareTexts(*record, settings), settings, state_);
        tell(keys, *record);
    }
    const Sent sent = send(keys);
    // Quiet, yet a refusal of the settlement leaves the receipt open there: the job failed.
    if (sent.refused && settlementRefusedAtLine_ == 0) settlementRefusedAtLine_ = lineNumber_;
    return !sent.stopped;
}

// The text chain may call the converter, and a sale's category comes from the VAT table file:
// both are worked out here, in the order the translation has always done them.
PreparedTexts ReceiptPrinter::prepareTexts(const PrintRecord& record,
                                           const ReceiptSettings& settings) {
    PreparedTexts texts;
    if (const auto prepare = TextToPrepareFor(record, settings)) {
        using Chain = TextToPrepare::Chain;
        texts.text = prepare->chain == Chain::kFooter
                         ? PrepareFooterText(charset_, prepare->text)
                         : PrepareRegisterText(converter_, charset_, prepare->text,
                                               prepare->chain == Chain::kSaleDescription);
    }
    if (const auto* sale = std::get_if<SaleRecord>(&record)) {
        texts.vatCategory = VatCategory(sale->vatRate, vatFile);
    }
    return texts;
}

// What the operator sees of a record, before its commands go out.
void ReceiptPrinter::tell(const KeyCommands& keys, const PrintRecord& record) {
    if (keys.announce) {
        notices_.showStatus(kPrintingStatus);
        notices_.showCaption(kPrintingCaption);
        notices_.repaint();
    }
    if (keys.warning == SaleWarning::kUnknownVatCategory) {
        notices_.showMessage(kUnknownVatCategory, kMsgExclamation);
    }
    if (keys.warning == SaleWarning::kBadPrice) {
        const std::string& price = std::get<SaleRecord>(record).price;
        notices_.showMessage(kBadPrice + Cp1253ToUtf8(price), kMsgExclamation);
    }
    if (keys.dailyZReport) notices_.runDailyZReport();
}

// The one place that talks to the link: the record's commands in order, then whether the
// receipt's sending has stopped.
ReceiptPrinter::Sent ReceiptPrinter::send(const KeyCommands& keys) {
    Sent sent;
    for (const KeyCommand& command : keys.commands) {
        const ExchangeResult result = link_.send(command.text, command.quiet);
        sent.refused = sent.refused || (keys.closesReceipt && result.refused());
    }
    sent.stopped = link_.sendingStopped();
    return sent;
}

}  // namespace varkon
