// One print-file line through the record parser and the key commands, without link or files:
// every field stays inside its columns, and the commands of any record under any settings are
// ones the register can take.
//
// Input layout: two settings bytes, then the line (its CR and LF bytes dropped, as the reader
// never hands them over).
//   byte 0: bit 0 pos21, bits 1-2 settlement (tender key, main, second, third currency), bit 3
//           direct departments, bit 4 quantities, bit 5 keyboard locked, bit 6 comments, bit 7
//           the sale's VAT category is known;
//   byte 1: bits 0-1 item codes (none, numeric, article), bit 2 descriptions, bit 3 a zero
//           subtotal, bits 4-7 tenders so far.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "greek/cp1253.h"
#include "receipt/key_commands.h"
#include "receipt/print_record.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckFits(const std::string& field, varkon::Column column) {
    Check(field.size() <= column.width);
}

// Every field of the record is no wider than its columns.
void CheckColumns(const varkon::PrintRecord& record) {
    namespace c = varkon::columns;
    std::visit(
        [](const auto& r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, varkon::SaleRecord>) {
                CheckFits(r.code, c::kSaleCode);
                CheckFits(r.description, c::kSaleDescription);
                CheckFits(r.quantity, c::kSaleQuantity);
                CheckFits(r.price, c::kSalePrice);
                CheckFits(r.vatRate, c::kSaleVatRate);
                CheckFits(r.department, c::kSaleDepartment);
            } else if constexpr (std::is_same_v<R, varkon::DiscountRecord>) {
                CheckFits(r.discount + r.surcharge, c::kDiscountAmount);
                Check(r.discount.empty() || r.surcharge.empty());
            } else if constexpr (std::is_same_v<R, varkon::ModifierRecord>) {
                CheckFits(r.value, c::kModifierValue);
                CheckFits(r.text, c::kModifierText);
            } else if constexpr (std::is_same_v<R, varkon::TenderRecord>) {
                CheckFits(r.key, c::kTenderKey);
                CheckFits(r.amount, c::kTenderAmount);
                Check(r.hasAmount || r.amount.empty());
            } else if constexpr (std::is_same_v<R, varkon::CommentRecord>) {
                CheckFits(r.text, c::kCommentText);
            } else if constexpr (std::is_same_v<R, varkon::FooterRecord>) {
                CheckFits(r.text, c::kFooterText);
            } else if constexpr (std::is_same_v<R, varkon::ProgrammingRecord>) {
                Check(r.command.size() <= c::kProgrammingCommand.width + 2);
                Check(r.command.rfind("KY", 0) == 0 || r.command.rfind("KP", 0) == 0);
            } else if constexpr (std::is_same_v<R, varkon::SettlementRecord>) {
                CheckFits(r.tender, c::kSettlementTender);
            }
        },
        record);
}

varkon::ReceiptSettings SettingsFrom(std::uint8_t first, std::uint8_t second) {
    using varkon::ItemCodes;
    using varkon::Settlement;
    static constexpr Settlement kSettlements[] = {Settlement::kTenderKey, Settlement::kMainCurrency,
                                                  Settlement::kSecondCurrency,
                                                  Settlement::kThirdCurrency};
    static constexpr ItemCodes kCodes[] = {ItemCodes::kNone, ItemCodes::kNumeric,
                                           ItemCodes::kArticle, ItemCodes::kNone};
    varkon::ReceiptSettings settings;
    settings.pos21 = (first & 1) != 0;
    settings.settlement = kSettlements[(first >> 1) & 3];
    settings.departments = (first & 8) != 0;
    settings.quantityInDescription = (first & 0x10) != 0;
    settings.keyboardOff = (first & 0x20) != 0;
    settings.comments = (first & 0x40) != 0;
    settings.itemCodes = kCodes[second & 3];
    settings.printDescription = (second & 4) != 0;
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    if (size < 2) return 0;
    std::string line;
    for (std::size_t i = 2; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c != '\r' && c != '\n') line += c;
    }

    const ParseResult parsed = ParseRecord(line);
    if (const auto* error = std::get_if<RecordError>(&parsed)) {
        Check(error->column >= 1 && error->column <= line.size());
        Check(!error->what.empty());
    }
    const auto* record = std::get_if<PrintRecord>(&parsed);
    if (record == nullptr) return 0;
    CheckColumns(*record);

    const ReceiptSettings settings = SettingsFrom(data[0], data[1]);
    // The text chain stands in as upper case: one byte per byte, as the register codes are.
    PreparedTexts texts;
    if (const auto prepare = TextToPrepareFor(*record, settings)) {
        texts.text = UpperCp1253(prepare->text);
    }
    if ((data[0] & 0x80) != 0) texts.vatCategory = "2";
    ReceiptState state;
    state.subtotalZero = (data[1] & 8) != 0;
    state.tenders = data[1] >> 4;
    const KeyCommands keys = KeyCommandsFor(*record, texts, settings, state);

    // A warning comes instead of the commands; a bad price only after the printing status.
    if (keys.warning != SaleWarning::kNone) Check(keys.commands.empty());
    if (keys.warning == SaleWarning::kBadPrice) Check(keys.announce);
    // A sale whose category is known and whose price can be keyed is keyed.
    if (std::holds_alternative<SaleRecord>(*record) && keys.warning == SaleWarning::kNone) {
        Check(!keys.commands.empty());
    }
    for (const KeyCommand& command : keys.commands) {
        // Short enough for the register's frame, and a CR only in a deliberate CR LF.
        Check(!command.text.empty() && command.text.size() <= 255);
        for (std::size_t i = 0; i < command.text.size(); ++i) {
            if (command.text[i] == '\r')
                Check(i + 1 < command.text.size() && command.text[i + 1] == '\n');
        }
        Check(command.quiet == keys.closesReceipt);
    }
    return 0;
}
