#include "receipt/print_record.h"

#include <gtest/gtest.h>

#include <string>

namespace varkon::test {
namespace {

template <typename Record>
Record Parsed(const std::string& line) {
    const ParseResult result = ParseRecord(line);
    const auto* record = std::get_if<PrintRecord>(&result);
    EXPECT_TRUE(record != nullptr) << line;
    if (record == nullptr || !std::holds_alternative<Record>(*record)) {
        ADD_FAILURE() << "another record: " << line;
        return {};
    }
    return std::get<Record>(*record);
}

bool IsNoRecord(const std::string& line) {
    return std::holds_alternative<NotARecord>(ParseRecord(line));
}

TEST(PrintRecord, EveryFieldIsCutFromItsColumns) {
    const SaleRecord sale = Parsed<SaleRecord>(
        " PLU 5201234567890 COCA COLA 330ML               2.000       1.50   13.00 15");
    EXPECT_EQ("5201234567890 ", sale.code);
    EXPECT_EQ("COCA COLA 330ML         ", sale.description);
    EXPECT_EQ("2.000", sale.quantity);
    EXPECT_EQ("1.50", sale.price);
    EXPECT_EQ("13.00", sale.vatRate);
    EXPECT_EQ("15", sale.department);

    const TenderRecord tender = Parsed<TenderRecord>(" to    3   1.234,50 ignored");
    EXPECT_EQ("3", tender.key);
    EXPECT_TRUE(tender.hasAmount);
    EXPECT_EQ("123450", tender.amount);
    EXPECT_EQ("050", Parsed<DiscountRecord>(" dis      0.50").discount);
    EXPECT_EQ("050", Parsed<DiscountRecord>(" dis     -0.50").surcharge);
    EXPECT_EQ("", Parsed<DiscountRecord>(" dis     -0.50").discount);
    EXPECT_TRUE(Parsed<SubtotalRecord>(" sut      0,00").zero);
    EXPECT_FALSE(Parsed<SubtotalRecord>(" sut        2.20").zero);
    EXPECT_EQ(std::string(24, 'C'), Parsed<CommentRecord>(" com  " + std::string(30, 'C')).text);
    EXPECT_EQ("KALH SAS HMERA ALL", Parsed<FooterRecord>(" foo  KALH SAS HMERA ALLOS").text);
    EXPECT_EQ("KP5X3", Parsed<ProgrammingRecord>(" prg  5x3 ").command);
    EXPECT_EQ("KY9", Parsed<ProgrammingRecord>(" PRG  ky9").command);
    EXPECT_EQ("2", Parsed<SettlementRecord>(" pay  27").tender);

    const ModifierRecord percent = Parsed<ModifierRecord>(" mod    -10.00% EKPTOSH  ");
    EXPECT_EQ(Adjustment::kPercentDiscount, percent.kind);
    EXPECT_EQ("1000", percent.value);
    EXPECT_EQ("EKPTOSH", percent.text);
    EXPECT_EQ(Adjustment::kAmountDiscount, Parsed<ModifierRecord>(" mod     -1,50").kind);
    EXPECT_EQ("150", Parsed<ModifierRecord>(" mod     -1,50").value);
    EXPECT_EQ(Adjustment::kAmountSurcharge, Parsed<ModifierRecord>(" mod").kind);
    EXPECT_EQ(Adjustment::kPercentSurcharge, Parsed<ModifierRecord>(" mod        00%").kind);
}

TEST(PrintRecord, ShortLinesLeaveTheirMissingFieldsEmpty) {
    const SaleRecord bare = Parsed<SaleRecord>(" PLU");
    EXPECT_EQ("", bare.code + bare.description + bare.quantity + bare.price + bare.vatRate);
    // Six blanks where the price begins, and the line ends: one unit of money.
    EXPECT_EQ("1", Parsed<SaleRecord>(" PLU" + std::string(52, ' ') + std::string(6, ' ')).price);
    EXPECT_EQ("", Parsed<SaleRecord>(" PLU" + std::string(52, ' ') + std::string(7, ' ')).price);
    EXPECT_EQ("SHORT", Parsed<SaleRecord>(" PLU 123" + std::string(11, ' ') + "SHORT").description);

    EXPECT_EQ("", Parsed<TenderRecord>(" to").key);
    EXPECT_FALSE(Parsed<TenderRecord>(" to    1").hasAmount);
    EXPECT_FALSE(Parsed<TenderRecord>(" to    1   ").hasAmount);  // a single blank is no amount
    const TenderRecord blanks = Parsed<TenderRecord>(" to    1    ");
    EXPECT_TRUE(blanks.hasAmount);
    EXPECT_EQ("", blanks.amount);
    EXPECT_EQ("", Parsed<SettlementRecord>(" pay").tender);
    EXPECT_FALSE(Parsed<SubtotalRecord>(" sut").zero);
    EXPECT_EQ("KP", Parsed<ProgrammingRecord>(" PRG").command);
    EXPECT_EQ("", Parsed<CommentRecord>(" com").text);
}

TEST(PrintRecord, KeywordsMatchWithTheirOwnCaseRules) {
    EXPECT_EQ("A", Parsed<SaleRecord>(" plu 123" + std::string(11, ' ') + "A").description);
    Parsed<SaleRecord>(" pLu");
    Parsed<DailyZRecord>(" mkz");
    Parsed<DailyZRecord>("xMkZ trailing");
    Parsed<SettlementRecord>(" PaY  2");
    Parsed<TenderRecord>(" tox");
    Parsed<ProgrammingRecord>(" prg");
    for (const char* line : {" Dis", " SUT", " Mod", " COM", " Foo", " Prg", " TO", " To", " xyz",
                             "", " ", " PL", "PLU", "  PLU"}) {
        EXPECT_TRUE(IsNoRecord(line)) << line;
    }
}

TEST(PrintRecord, APercentageThatReadsAsNothingIsAnError) {
    for (const char* line :
         {" mod       -00%", " mod        0%", " mod  %", " mod    -abc%", " mod    - 0.0%"}) {
        const ParseResult result = ParseRecord(line);
        ASSERT_TRUE(std::holds_alternative<RecordError>(result)) << line;
        EXPECT_EQ(7u, std::get<RecordError>(result).column);
    }
    // A surcharge percentage is nothing only when it is exactly "0".
    EXPECT_EQ("00", Parsed<ModifierRecord>(" mod       0.0%").value);
}

}  // namespace
}  // namespace varkon::test
