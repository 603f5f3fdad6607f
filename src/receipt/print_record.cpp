#include "receipt/print_record.h"

#include <algorithm>

#include "greek/cp1253.h"
#include "receipt/amounts.h"

namespace varkon {

namespace {

std::string Trimmed(std::string_view text) {
    return std::string(TrimBlanks(text));
}

SaleRecord Sale(std::string_view line) {
    SaleRecord sale;
    sale.code = std::string(FieldOf(line, columns::kSaleCode));
    sale.description = std::string(FieldOf(line, columns::kSaleDescription));
    sale.quantity = Trimmed(FieldOf(line, columns::kSaleQuantity));
    // Six blanks (a line that ends three columns early) have always meant one unit of money.
    const std::string_view price = FieldOf(line, columns::kSalePrice);
    sale.price = price == "      " ? std::string("1") : Trimmed(price);
    sale.vatRate = Trimmed(FieldOf(line, columns::kSaleVatRate));
    sale.department = Trimmed(FieldOf(line, columns::kSaleDepartment));
    return sale;
}

DiscountRecord Discount(std::string_view line) {
    DiscountRecord discount;
    discount.discount = StripAmount(Trimmed(FieldOf(line, columns::kDiscountAmount)));
    // A negative discount is a surcharge on the subtotal.
    if (!discount.discount.empty() && discount.discount.front() == '-') {
        discount.surcharge = StripAmount(discount.discount.substr(1, 7));
        discount.discount.clear();
    }
    return discount;
}

// The modifier's value (trimmed, separators removed): a trailing "%" makes it a percentage, a
// leading "-" a discount. A percentage that reads as nothing adjusts nothing: an error.
ParseResult Modifier(std::string_view line) {
    std::string stripped;
    for (char c : TrimBlanks(FieldOf(line, columns::kModifierValue))) {
        if (c != ',' && c != '.') stripped += c;
    }
    std::string_view value = stripped;
    ModifierRecord modifier;
    modifier.text = Trimmed(FieldOf(line, columns::kModifierText));
    const bool minus = !value.empty() && value.front() == '-';
    if (!value.empty() && value.back() == '%') {
        value.remove_suffix(1);
        bool empty = false;
        if (minus) {
            std::string_view rest = value.substr(1);
            rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
            modifier.kind = Adjustment::kPercentDiscount;
            modifier.value = std::string(rest);
            empty = modifier.value.empty() || LeadingNumber(modifier.value) == 0;
        } else {
            modifier.kind = Adjustment::kPercentSurcharge;
            modifier.value = std::string(value);
            empty = modifier.value.empty() || modifier.value == "0";
        }
        if (empty) return RecordError{columns::kModifierValue.first, "percentage without a value"};
        return PrintRecord{std::move(modifier)};
    }
    if (minus) {
        modifier.kind = Adjustment::kAmountDiscount;
        modifier.value = Trimmed(value.substr(1, 8));
    } else {
        modifier.kind = Adjustment::kAmountSurcharge;
        modifier.value = std::string(value);
    }
    return PrintRecord{std::move(modifier)};
}

TenderRecord Tender(std::string_view line) {
    TenderRecord tender;
    tender.key = std::string(FieldOf(line, columns::kTenderKey));
    const std::string_view amount = FieldOf(line, columns::kTenderAmount);
    tender.hasAmount = !amount.empty() && amount != " ";
    if (tender.hasAmount) tender.amount = StripAmount(amount);
    return tender;
}

ProgrammingRecord Programming(std::string_view line) {
    std::string command = UpperCp1253(TrimBlanks(FieldOf(line, columns::kProgrammingCommand)));
    if (command.rfind("KY", 0) != 0) command = "KP" + command;
    return {std::move(command)};
}

}  // namespace

std::string_view FieldOf(std::string_view line, Column column) {
    const std::size_t start = column.first - 1;
    if (start >= line.size()) return {};
    return line.substr(start, column.width);
}

ParseResult ParseRecord(std::string_view line) {
    const std::string_view keyword = FieldOf(line, columns::kKeyword);
    const std::string upper = UpperCp1253(keyword);
    if (upper == "MKZ") return PrintRecord{DailyZRecord{}};
    if (upper == "PLU") return PrintRecord{Sale(line)};
    if (keyword == "dis") return PrintRecord{Discount(line)};
    if (keyword == "sut") {
        return PrintRecord{SubtotalRecord{IsZeroSubtotal(FieldOf(line, columns::kSubtotalAmount))}};
    }
    if (keyword == "mod") return Modifier(line);
    if (FieldOf(line, columns::kTenderKeyword) == "to") return PrintRecord{Tender(line)};
    if (keyword == "com")
        return PrintRecord{CommentRecord{std::string(FieldOf(line, columns::kCommentText))}};
    if (keyword == "foo")
        return PrintRecord{FooterRecord{std::string(FieldOf(line, columns::kFooterText))}};
    if (keyword == "PRG" || keyword == "prg") return PrintRecord{Programming(line)};
    if (LowerCp1253(keyword) == "pay") {
        return PrintRecord{
            SettlementRecord{std::string(FieldOf(line, columns::kSettlementTender))}};
    }
    return NotARecord{};
}

}  // namespace varkon
