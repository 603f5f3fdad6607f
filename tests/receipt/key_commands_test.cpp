#include "receipt/key_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varkon::test {
namespace {

using Commands = std::vector<std::string>;

ReceiptSettings With(Settlement settlement = Settlement::kTenderKey, bool keyboardOff = false,
                     ItemCodes codes = ItemCodes::kNone) {
    ReceiptSettings settings;
    settings.settlement = settlement;
    settings.keyboardOff = keyboardOff;
    settings.itemCodes = codes;
    return settings;
}

SaleRecord Sale(const char* quantity, const char* price, const char* code = "") {
    return {.code = code, .quantity = quantity, .price = price};
}

// The sale's description and category as the printer prepares them.
const PreparedTexts kSaleTexts{.text = "ABC", .vatCategory = "1"};

Commands Texts(const KeyCommands& keys) {
    Commands texts;
    for (const KeyCommand& command : keys.commands) texts.push_back(command.text);
    return texts;
}

// The command texts of `record` from a fresh receipt (or the given state).
Commands Keys(const PrintRecord& record, const ReceiptSettings& settings = With(),
              const PreparedTexts& texts = kSaleTexts, ReceiptState state = {}) {
    return Texts(KeyCommandsFor(record, texts, settings, state));
}

TEST(KeyCommands, SaleKeysSignQuantityPriceAndCode) {
    EXPECT_EQ((Commands{"KX2* ", "KX150R1ABC"}), Keys(Sale("2000", "1,50")));
    EXPECT_EQ((Commands{"KX150R1ABC"}), Keys(Sale("1000", "1,50")));
    EXPECT_EQ((Commands{"KX150R1ABC"}), Keys(Sale("500", "1,50")));
    EXPECT_EQ((Commands{"KX12. \r\n", "KX500* ", "KX150R1ABC"}), Keys(Sale("12500", "1,50")));
    EXPECT_EQ((Commands{"KX- ", "KX150R1ABC"}), Keys(Sale("1000", "-1.50")));
    EXPECT_EQ((Commands{"KX- ", "KX2* ", "KX150R1ABC"}), Keys(Sale("-2000", "1.50")));
    EXPECT_EQ((Commands{"KX- ", "KX- ", "KX2* ", "KX150R1ABC"}), Keys(Sale("-2000", "-1.50")));
    EXPECT_EQ((Commands{"KX1,50R1ABC"}), Keys(Sale("", "1,50")));
    EXPECT_EQ((Commands{std::string("KX10PLK\x8D\x86:5201234567890"), "KX150R1ABC"}),
              Keys(Sale("2000", "1,50", "5201234567890"),
                   With(Settlement::kTenderKey, false, ItemCodes::kArticle)));
    EXPECT_EQ((Commands{"KX1PL", "KX150ACABC", "KX42AC"}),
              Keys(Sale("1000", "1,50", "42  "),
                   With(Settlement::kTenderKey, true, ItemCodes::kNumeric)));
    EXPECT_EQ((Commands{"KX1PL", "KX150ACABC"}), Keys(Sale("2000", "1,50"), With({}, true)));
}

TEST(KeyCommands, SalePriceBecomesWholeCentsOrAWarning) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.29", "29"},  {"12,505", "1250"}, {"1,999999999999999", "200"},
        {"0150", "150"}, {"abc", "0"},       {"", "0"},
        {"12abc", "12"}, {",5", "50"},       {"-0,001", "0"},
        {"1,", "100"},   {"0,0000001", "0"}, {"-0,0000001", "0"},
    };
    for (const auto& [price, cents] : cases) {
        EXPECT_EQ((Commands{"KX" + std::string(cents) + "R1ABC"}), Keys(Sale("1000", price)))
            << price;
    }
    for (const char* price : {"1.2.3", "1,5a", "99999999999999,99"}) {
        ReceiptState state;
        const KeyCommands keys = KeyCommandsFor(Sale("-2000", price), kSaleTexts, With(), state);
        EXPECT_EQ((Commands{}), Texts(keys)) << price;
        EXPECT_EQ(SaleWarning::kBadPrice, keys.warning);
        EXPECT_TRUE(keys.announce);  // the printing status comes before the warning
    }
}

TEST(KeyCommands, SaleCategoryDepartmentsAndTheUnknownCategory) {
    ReceiptSettings departments = With();
    departments.departments = true;
    SaleRecord sale = Sale("1000", "1.00");
    sale.department = "15";
    EXPECT_EQ((Commands{"KX100RGABC"}), Keys(sale, departments));
    EXPECT_EQ((Commands{"KX100R1ABC"}), Keys(sale));
    sale.department = "";
    EXPECT_EQ((Commands{"KX100R1ABC"}), Keys(sale, departments));
    sale.department = "16";
    EXPECT_EQ((Commands{"KX100RHABC"}), Keys(sale, departments, {.text = "ABC"}));

    ReceiptState state;
    const KeyCommands unknown =
        KeyCommandsFor(Sale("1000", "1.00"), {.text = "ABC"}, With(), state);
    EXPECT_EQ(SaleWarning::kUnknownVatCategory, unknown.warning);
    EXPECT_FALSE(unknown.announce);  // told instead of the printing status
    EXPECT_TRUE(unknown.commands.empty());
}

TEST(KeyCommands, PaymentsAdjustmentsAndRawCommands) {
    const TenderRecord tender{.key = "3", .hasAmount = true, .amount = "500"};
    const TenderRecord zero{.key = "1", .hasAmount = true, .amount = "0"};
    const ReceiptState known{.subtotalZero = false};
    EXPECT_EQ((Commands{"KXT3"}), Keys(TenderRecord{.key = "3", .hasAmount = true}));
    EXPECT_EQ((Commands{"KX500T3"}), Keys(tender, With(), {}, known));
    EXPECT_EQ((Commands{}), Keys(zero, With(), {}, known));
    EXPECT_EQ((Commands{"KXT1"}), Keys(zero, With(Settlement::kMainCurrency)));
    EXPECT_EQ((Commands{"KX500T1"}), Keys(tender, With(Settlement::kMainCurrency)));
    EXPECT_EQ((Commands{"KXST", "KXT2"}), Keys(tender, With(Settlement::kSecondCurrency)));
    EXPECT_EQ((Commands{"KX500T3"}), Keys(tender, With(Settlement::kThirdCurrency)));
    EXPECT_EQ((Commands{}), Keys(tender, With(Settlement::kNone)));
    EXPECT_EQ((Commands{"KXST", "KXST", "KX- ", "KX100GE"}),
              Keys(DiscountRecord{.discount = "100"}));
    EXPECT_EQ((Commands{"KXST", "KX100GE"}), Keys(DiscountRecord{.surcharge = "100"}));
    EXPECT_EQ((Commands{}), Keys(DiscountRecord{.discount = "000"}));
    EXPECT_EQ((Commands{"ABC"}), Keys(ProgrammingRecord{"KPX"}));

    const PreparedTexts x{.text = "X"};
    using A = Adjustment;
    EXPECT_EQ((Commands{}), Keys(ModifierRecord{A::kAmountDiscount, "0", "ignored"}, With(), x));
    EXPECT_EQ((Commands{"KX- ", "KX1000% X"}),
              Keys(ModifierRecord{A::kPercentDiscount, "1000", "ignored"}, With(), x));
    EXPECT_EQ((Commands{"KX5% X"}), Keys(ModifierRecord{A::kPercentSurcharge, "5"}, With(), x));
    EXPECT_EQ((Commands{"KX150GEX"}), Keys(ModifierRecord{A::kAmountSurcharge, "150"}, With(), x));
}

TEST(KeyCommands, TheReceiptStateCarriesSubtotalTendersAndFooter) {
    ReceiptSettings settings = With(Settlement::kSecondCurrency);
    settings.comments = true;
    ReceiptState state;
    const TenderRecord tender{.key = "1", .hasAmount = true, .amount = "500"};
    // Settled in the second currency, only the first tender is keyed, with or without its amount.
    EXPECT_EQ((Commands{"KXST", "KXT2"}),
              Texts(KeyCommandsFor(TenderRecord{}, {}, settings, state)));
    EXPECT_EQ((Commands{}), Texts(KeyCommandsFor(tender, {}, settings, state)));
    EXPECT_EQ(2, state.tenders);

    KeyCommandsFor(SubtotalRecord{.zero = false}, {}, settings, state);
    EXPECT_FALSE(state.subtotalZero);
    const KeyCommands footer =
        KeyCommandsFor(FooterRecord{"raw"}, {.text = "ONE"}, settings, state);
    EXPECT_TRUE(footer.commands.empty());
    EXPECT_EQ((std::vector<std::string>{"ONE"}), state.footerLines);
    settings.comments = false;
    KeyCommandsFor(FooterRecord{"raw"}, {.text = "TWO"}, settings, state);
    EXPECT_EQ(1u, state.footerLines.size());

    const KeyCommands end = FooterCommands(state);
    EXPECT_EQ((Commands{"KXCO " + std::string(18, '-'), "KXCO ONE\r\n", "KXCO", "KXCO", "KXCO",
                        "KXCO", "KXCO"}),
              Texts(end));
    EXPECT_TRUE(end.commands.front().quiet);  // only the frame is quiet
    EXPECT_FALSE(end.commands.back().quiet);
    const KeyCommands pay = KeyCommandsFor(SettlementRecord{"2"}, {}, settings, state);
    EXPECT_EQ((std::vector<KeyCommand>{{"KXT2", true}, {"KXCL", true}}), pay.commands);
    EXPECT_TRUE(pay.closesReceipt);
    EXPECT_TRUE(KeyCommandsFor(DailyZRecord{}, {}, settings, state).dailyZReport);
}

TEST(KeyCommands, TextsAreCutForTheRegisterBeforeTheyArePrepared) {
    ReceiptSettings settings = With();
    settings.comments = true;
    const SaleRecord sale{.description = "abcdefghijklmnopqrstuvwx", .quantity = "2.500"};
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWX", TextToPrepareFor(sale, settings)->text);
    EXPECT_EQ(TextToPrepare::Chain::kSaleDescription, TextToPrepareFor(sale, settings)->chain);
    const CommentRecord comment{"comment of twenty-four c"};
    EXPECT_EQ("COMMENT OF TWENTY-FOUR C", TextToPrepareFor(comment, settings)->text);
    EXPECT_EQ(TextToPrepare::Chain::kFooter, TextToPrepareFor(FooterRecord{"f"}, settings)->chain);

    settings.pos21 = true;
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRST", TextToPrepareFor(sale, settings)->text);
    EXPECT_EQ("COMMENT OF TWENTY-FO", TextToPrepareFor(comment, settings)->text);
    settings.quantityInDescription = true;
    EXPECT_EQ("2,500* ABCDEFGHIJKL", TextToPrepareFor(sale, settings)->text);
    settings.printDescription = false;
    EXPECT_EQ("2,500* ", TextToPrepareFor(sale, settings)->text);
    // A pos21 register shows no modifier text; without comments nothing of them is prepared.
    EXPECT_FALSE(TextToPrepareFor(ModifierRecord{}, settings));
    settings.comments = false;
    EXPECT_FALSE(TextToPrepareFor(comment, settings));
    EXPECT_FALSE(TextToPrepareFor(FooterRecord{}, settings));
    EXPECT_EQ("KY9", TextToPrepareFor(ProgrammingRecord{"KY9"}, settings)->text);
}

}  // namespace
}  // namespace varkon::test
