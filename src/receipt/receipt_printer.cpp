#include "receipt/receipt_printer.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <vector>

#include "greek/cp1253.h"
#include "greek/register_text.h"
#include "platform/files.h"
#include "receipt/amounts.h"
#include "receipt/print_file_reader.h"
#include "receipt/receipt_line.h"

namespace varkon {

namespace {

const char* const kFileNotFoundText = "Το αρχείο δεν βρέθηκε";
const char* const kFileAccessText = "Σφάλμα πρόσβασης στο αρχείο";
const char* const kUnknownVatCategory = "Ανύπαρκτη κατηγορία ΦΠΑ ";
const char* const kReadAsUtf8 =
    "Το αρχείο εκτύπωσης είναι σε UTF-8 και μετατρέπεται σε κωδικοσελίδα 1253 : ";
const char* const kReadAsMixed =
    "Το αρχείο εκτύπωσης έχει γραμμές σε UTF-8 και σε κωδικοσελίδα 1253· κάθε χαρακτήρας "
    "μετράει μία στήλη : ";

// The counting pass lets the window paint this often.
constexpr std::size_t kLinesPerRepaint = 512;

// A fixed-column field: 1-based column, width; whatever part of it the line holds.
std::string_view Field(std::string_view line, std::size_t column, std::size_t width) {
    const std::size_t start = column - 1;
    if (start >= line.size()) return {};
    return line.substr(start, width);
}

std::string Trimmed(std::string_view text) {
    return std::string(TrimBlanks(text));
}

// Direct department sales: the register's keys for departments 10 to 16 skip E and F.
std::string DepartmentKey(const std::string& department) {
    static const std::pair<const char*, const char*> kKeys[] = {
        {"10", "0"}, {"11", "A"}, {"12", "B"}, {"13", "C"}, {"14", "D"}, {"15", "G"}, {"16", "H"},
    };
    for (const auto& [number, key] : kKeys) {
        if (department == number) return key;
    }
    return department;
}

GetDataResult FileError(PrintFileReader::Status status) {
    if (status == PrintFileReader::Status::kNotFound) return {kErrFileNotFound, kFileNotFoundText};
    return {kErrCannotRead, kFileAccessText};
}

}  // namespace

GetDataResult UnreadablePrintFile(const std::string& file) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(ToFsPath(file), ec);
    return FileError(exists ? PrintFileReader::Status::kUnreadable
                            : PrintFileReader::Status::kNotFound);
}

// What one file's translation carries from record to record.
struct ReceiptPrinter::FileState {
    ReceiptLine line;
    int TenderCount = 0;
    std::vector<std::string> FooterLines;
};

ReceiptPrinter::ReceiptPrinter(RegisterLink& link, TextConverter& converter, GreekMikro& mikro,
                               ReceiptNotices& notices)
    : link_(link),
      converter_(converter),
      mikro_(mikro),
      notices_(notices),
      sender_(link, notices) {}

GetDataResult ReceiptPrinter::getdata(const std::string& file, const ReceiptSettings& settings,
                                      std::optional<std::uint64_t> bytes) {
    // A receipt that failed half-way must not leave its footer on the next customer's receipt.
    FooterPending = false;
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
    ZeroSubtotal = true;

    PrintFileReader reader;
    const auto status = reader.open(path);
    if (status != PrintFileReader::Status::kOk) return FileError(status);
    if (bytes) reader.limitTo(*bytes);
    if (utf8) reader.readAsUtf8();
    if (mixed) reader.readAsMixed();
    FileState state;
    double progress = 0;
    std::size_t lineNumber = 0;
    std::size_t records = 0;
    settlementRefusedAtLine_ = 0;
    while (reader.next(text)) {
        ++lineNumber;
        lineNumber_ = lineNumber;
        ReceiptLine& line = state.line;
        line.price.clear();
        line.discount.clear();
        line.addon.clear();
        line.percentdis.clear();
        line.percentadd.clear();
        line.vat.clear();
        // The file may have grown since it was counted; the bar stops at its end.
        progress = std::min(progress + 1, maximum);
        notices_.setProgress(progress);
        if (translate(text, state, settings)) ++records;
        if (link_.sendingStopped()) return GetDataResult{0, {}, lineNumber};
    }
    if (reader.failed()) return FileError(PrintFileReader::Status::kUnreadable);

    if (FooterPending) {
        footer(state);
        FooterPending = false;
        // The footer follows the last line: a stop in it is told at that line.
        if (link_.sendingStopped())
            return GetDataResult{0, {}, std::max<std::size_t>(lineNumber, 1)};
    }
    return GetDataResult{0, {}, 0, records, settlementRefusedAtLine_};
}

bool ReceiptPrinter::translate(std::string_view text, FileState& state,
                               const ReceiptSettings& settings) {
    const std::string_view keyword = Field(text, 2, 3);
    const bool comments = settings.comments;
    bool record = false;
    auto is = [&record](bool match) {
        record = record || match;
        return match;
    };

    if (is(UpperCp1253(keyword) == "MKZ")) notices_.runDailyZReport();
    if (is(UpperCp1253(keyword) == "PLU")) sale(text, state, settings);
    if (is(keyword == "dis")) discount(text, state, settings);
    if (is(keyword == "sut")) ZeroSubtotal = IsZeroSubtotal(Field(text, 7, 10));
    if (is(keyword == "mod")) modifier(text, state, settings);
    if (is(Field(text, 2, 2) == "to")) tender(text, state, settings);
    if (is(keyword == "com") && comments) comment(text, settings);
    if (is(keyword == "foo") && comments) {
        state.FooterLines.push_back(PrepareFooterText(mikro_, Field(text, 7, 18)));
        FooterPending = true;
    }
    if (is(keyword == "PRG" || keyword == "prg")) programming(text, state, settings);
    if (is(LowerCp1253(keyword) == "pay")) settlement(text);
    return record;
}

void ReceiptPrinter::sale(std::string_view text, FileState& state,
                          const ReceiptSettings& settings) {
    ReceiptLine& line = state.line;
    line.linetype = ReceiptLine::kSale;
    const std::string_view price = Field(text, 57, 9);
    line.price = price == "      " ? std::string("1") : Trimmed(price);
    line.quantity = Trimmed(Field(text, 48, 7));

    if (settings.itemCodes == ItemCodes::kNumeric)
        line.CODE = "N" + std::string(Field(text, 6, 14));
    if (settings.itemCodes == ItemCodes::kArticle)
        line.CODE = "A" + std::string(Field(text, 6, 14));

    // Register types other than pos21 read the 24 description columns.
    const bool pos21 = settings.pos21;
    std::string description;
    if (settings.printDescription) description = UpperCp1253(Field(text, 20, pos21 ? 20 : 24));
    if (settings.quantityInDescription && line.quantity != "1.000") {
        if (pos21) {
            const std::string shown = QuantityDisplayText(line.quantity);
            const std::size_t room = IsWholeQuantity(line.quantity) ? 18 : 17;
            const std::size_t kept = room > shown.size() ? room - shown.size() : 0;
            description = (shown + "* " + description.substr(0, kept)).substr(0, 20);
        } else {
            description = description.substr(0, 24);
        }
    }
    line.char_ = PrepareRegisterText(converter_, mikro_, description, true);

    std::string key = VatCategory(TrimBlanks(Field(text, 69, 5)), vatFile);
    if (settings.departments) {
        std::string department = Trimmed(Field(text, 74, 3));
        if (!department.empty()) key = std::move(department);
    }
    key = DepartmentKey(key);
    if (key.empty()) {
        notices_.showMessage(kUnknownVatCategory, kMsgExclamation);
        return;
    }
    line.vat = key;
    sender_.comms(line, settings, ZeroSubtotal);
}

void ReceiptPrinter::discount(std::string_view text, FileState& state,
                              const ReceiptSettings& settings) {
    ReceiptLine& line = state.line;
    line.linetype = ReceiptLine::kSubtotalAdjustment;
    line.discount = Trimmed(Field(text, 7, 8));
    calc(line.price, line.discount, line.addon);
    // A negative discount is a surcharge on the subtotal.
    if (!line.discount.empty() && line.discount.front() == '-') {
        line.addon = line.discount.substr(1, 7);
        line.discount.clear();
        calc(line.price, line.discount, line.addon);
    }
    sender_.comms(line, settings, ZeroSubtotal);
}

void ReceiptPrinter::modifier(std::string_view text, FileState& state,
                              const ReceiptSettings& settings) {
    ReceiptLine& line = state.line;
    std::string value;
    for (char c : TrimBlanks(Field(text, 7, 9))) {
        if (c != ',' && c != '.') value += c;
    }
    ModifierValue modifier = ReadModifierValue(value);
    line.linetype = modifier.linetype;
    switch (modifier.linetype) {
        case ReceiptLine::kPercentDiscount:
            line.percentdis = std::move(modifier.value);
            break;
        case ReceiptLine::kPercentSurcharge:
            line.percentadd = std::move(modifier.value);
            break;
        case ReceiptLine::kAmountDiscount:
            line.discount = std::move(modifier.value);
            break;
        default:
            line.addon = std::move(modifier.value);
            break;
    }
    line.char_.clear();
    if (!settings.pos21) {
        line.char_ =
            PrepareRegisterText(converter_, mikro_, TrimBlanks(Field(text, 17, 24)), false);
    }
    if (modifier.handOver) sender_.comms(line, settings, ZeroSubtotal);
}

void ReceiptPrinter::tender(std::string_view text, FileState& state,
                            const ReceiptSettings& settings) {
    ReceiptLine& line = state.line;
    ++state.TenderCount;
    line.linetype = ReceiptLine::kTender;
    if (settings.settlement == Settlement::kSecondCurrency) {
        // The register takes the whole payment from the subtotal: only the first tender counts.
        line.total = "2";
        line.price.clear();
        if (state.TenderCount == 1) sender_.comms(line, settings, ZeroSubtotal);
        return;
    }
    line.total = std::string(Field(text, 8, 1));
    line.price = std::string(Field(text, 11, 9));
    if (line.total.empty() || line.price.empty() || line.price == " ") return;
    line.price = Trimmed(line.price);
    calc(line.price, line.discount, line.addon);
    sender_.comms(line, settings, ZeroSubtotal);
}

void ReceiptPrinter::comment(std::string_view text, const ReceiptSettings& settings) {
    const std::size_t width = settings.pos21 ? 20 : 24;
    const std::string prepared =
        PrepareRegisterText(converter_, mikro_, UpperCp1253(Field(text, 7, width)), false);
    send("KXCO " + prepared.substr(0, 20), false);
    send("KXCO " + std::string(20, '-'), false);
}

void ReceiptPrinter::programming(std::string_view text, FileState& state,
                                 const ReceiptSettings& settings) {
    ReceiptLine& line = state.line;
    line.linetype = ReceiptLine::kRaw;
    std::string command = UpperCp1253(TrimBlanks(Field(text, 6, 90)));
    if (command.rfind("KY", 0) != 0) command = "KP" + command;
    line.char_ = PrepareRegisterText(converter_, mikro_, command, false);
    sender_.comms(line, settings, ZeroSubtotal);
}

void ReceiptPrinter::settlement(std::string_view text) {
    for (const std::string& command :
         {"KXT" + std::string(Field(text, 7, 1)), std::string("KXCL")}) {
        // Quiet, yet a refusal here leaves the receipt open on the register: the job failed.
        if (send(command, true).refused() && settlementRefusedAtLine_ == 0) {
            settlementRefusedAtLine_ = lineNumber_;
        }
    }
}

void ReceiptPrinter::footer(const FileState& state) {
    send("KXCO " + std::string(18, '-'), true);
    for (const std::string& footerLine : state.FooterLines) {
        send("KXCO " + footerLine + "\r\n", false);
    }
    for (int i = 0; i < 5; ++i) send("KXCO", false);
}

ExchangeResult ReceiptPrinter::send(const std::string& command, bool quiet) {
    return link_.send(command, quiet);
}

}  // namespace varkon
