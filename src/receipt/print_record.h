// The records of a print file as typed values, and the one table of their fixed columns. A line
// is read here without any setting: the key commands decide what the settings make of a record.
// ParseRecord owns nothing; the record it returns holds copies of the line's fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace varkon {

// A fixed-column field: its 1-based first column and its width. A line too short for a field
// holds whatever of it the line has, often nothing: every field is optional, as the
// translation has always read them.
struct Column {
    std::size_t first;
    std::size_t width;
};

// Every column of every record. The keyword stands in columns 2 to 4 ("to" in 2 and 3).
namespace columns {
inline constexpr Column kKeyword{2, 3};
inline constexpr Column kTenderKeyword{2, 2};
inline constexpr Column kSaleCode{6, 14};
inline constexpr Column kSaleDescription{20, 24};
inline constexpr Column kSaleQuantity{48, 7};
inline constexpr Column kSalePrice{57, 9};
inline constexpr Column kSaleVatRate{69, 5};
inline constexpr Column kSaleDepartment{74, 3};
inline constexpr Column kDiscountAmount{7, 8};
inline constexpr Column kSubtotalAmount{7, 10};
inline constexpr Column kModifierValue{7, 9};
inline constexpr Column kModifierText{17, 24};
inline constexpr Column kTenderKey{8, 1};
inline constexpr Column kTenderAmount{11, 9};
inline constexpr Column kCommentText{7, 24};
inline constexpr Column kFooterText{7, 18};
inline constexpr Column kProgrammingCommand{6, 90};
inline constexpr Column kSettlementTender{7, 1};
}  // namespace columns

// What of `line` a field covers (empty past the end of the line).
std::string_view FieldOf(std::string_view line, Column column);

// "PLU": one item sold. Texts are code page 1253 as the line holds them.
struct SaleRecord {
    std::string code{};         // item code, as written (blanks kept)
    std::string description{};  // all 24 columns, as written; a pos21 register shows 20
    std::string quantity{};     // trimmed; "1.000" is one piece
    std::string price{};        // trimmed unit price; "1" when the field is just six blanks
    std::string vatRate{};      // trimmed VAT rate, looked up in the VAT table
    std::string department{};   // trimmed department number, used with direct departments
};

// "dis": a discount (or, written negative, a surcharge) on the subtotal, without separators.
struct DiscountRecord {
    std::string discount{};   // empty for a surcharge
    std::string surcharge{};  // empty for a discount
};

// "mod": a discount or surcharge on the last item, as a percentage or an amount. A percentage
// that reads as nothing (empty or not a number above zero; for a surcharge, empty or exactly
// "0") adjusts nothing and is a RecordError at the value's column.
enum class Adjustment { kPercentDiscount, kPercentSurcharge, kAmountDiscount, kAmountSurcharge };
struct ModifierRecord {
    Adjustment kind = Adjustment::kAmountSurcharge;
    std::string value{};  // without sign, "%" and separators
    std::string text{};   // trimmed, as written; a pos21 register shows none
};

// "to": a payment with a tender key.
struct TenderRecord {
    std::string key{};  // one column; empty when the line ends before it
    // In register form (separators removed); unset when the line ends before the amount or holds
    // a single blank there: such a tender is keyed only where the settings need no amount.
    bool hasAmount = false;
    std::string amount{};
};

// "com" and "foo": a comment printed at once, a footer line printed after the receipt's last line.
struct CommentRecord {
    std::string text{};  // all 24 columns, as written; a pos21 register shows 20
};
struct FooterRecord {
    std::string text{};  // as written
};

// "PRG" or "prg": a programming command, upper case; "KP" put in front unless it begins "KY".
struct ProgrammingRecord {
    std::string command{};
};

// "pay": settles the receipt with the given tender and closes it.
struct SettlementRecord {
    std::string tender{};  // one column; empty when the line ends before it
};

// "MKZ": the daily Z report.
struct DailyZRecord {};

// "sut": the receipt's subtotal, as far as a zero payment needs it.
struct SubtotalRecord {
    bool zero = false;  // the amount is a number equal to zero ("0.00", "0,00", "0")
};

using PrintRecord =
    std::variant<SaleRecord, DiscountRecord, ModifierRecord, TenderRecord, CommentRecord,
                 FooterRecord, ProgrammingRecord, SettlementRecord, DailyZRecord, SubtotalRecord>;

// A line without a keyword: no record at all.
struct NotARecord {};

// A line with a keyword whose record cannot be read: the 1-based column where reading failed and
// what was wrong there (English, for tests and logs). It counts as a record and sends nothing.
struct RecordError {
    std::size_t column = 0;
    std::string what{};
};

using ParseResult = std::variant<PrintRecord, NotARecord, RecordError>;

// Reads one line (without its line end). The keywords compare as they always have: "MKZ" and
// "PLU" in any case, "pay" in any case, "dis", "sut", "mod", "com", "foo" lower case only, "PRG"
// or "prg", and a tender wherever columns 2 and 3 hold "to". No two of them match one line.
ParseResult ParseRecord(std::string_view line);

}  // namespace varkon
