// The key commands of one record, decided from the record, the settings and the receipt's state
// alone: no link, no file, no notice. Two inputs the receipt printer works out beforehand, on its
// own: the record's text in register codes (the text chain calls the converter; TextToPrepareFor
// says which text through which chain) and a sale's VAT category (read from the VAT table file).
// The caller owns the ReceiptState of the receipt being printed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/settings_values.h"
#include "receipt/print_record.h"

namespace varkon {

// A record's text before the register-text chain, and the chain it goes through: the full one
// (PrepareRegisterText, as a sale description or not) or the footer's (PrepareFooterText).
struct TextToPrepare {
    enum class Chain { kRegister, kSaleDescription, kFooter };
    std::string text{};
    Chain chain = Chain::kRegister;
};

// Nothing for a record whose commands carry no text, or whose text the settings leave out.
std::optional<TextToPrepare> TextToPrepareFor(const PrintRecord& record,
                                              const ReceiptSettings& settings);

// What the printer worked out for one record before its commands.
struct PreparedTexts {
    std::string text{};         // TextToPrepareFor's text through its chain; empty without one
    std::string vatCategory{};  // a sale's VAT category ("1" to "5"), empty when no rate matches
};

// What one receipt carries from record to record; a new receipt starts from the defaults.
struct ReceiptState {
    // The receipt's subtotal is zero or not yet known, so a zero payment may close it.
    bool subtotalZero = true;
    int tenders = 0;  // tender records so far
    // Footer lines in register codes, printed after the receipt's last line.
    std::vector<std::string> footerLines{};
};

struct KeyCommand {
    std::string text{};  // code page 1253 bytes, as the link frames them
    bool quiet = false;  // a failure is not shown to the operator
    bool operator==(const KeyCommand&) const = default;
};

// Told to the operator instead of a sale's commands.
enum class SaleWarning { kNone, kUnknownVatCategory, kBadPrice };

// Everything one record asks for, in the order it happens: the printing status and caption, a
// warning, the daily Z report, then the commands one by one.
struct KeyCommands {
    bool announce = false;
    SaleWarning warning = SaleWarning::kNone;
    bool dailyZReport = false;
    // A refusal of any of the commands leaves the receipt open on the register.
    bool closesReceipt = false;
    std::vector<KeyCommand> commands{};
};

// The commands of `record`; updates `state` with what the record changes (the subtotal, the
// tender count, the footer lines).
KeyCommands KeyCommandsFor(const PrintRecord& record, const PreparedTexts& texts,
                           const ReceiptSettings& settings, ReceiptState& state);

// The footer after the receipt's last line: a frame, the footer lines, five empty lines.
KeyCommands FooterCommands(const ReceiptState& state);

}  // namespace varkon
