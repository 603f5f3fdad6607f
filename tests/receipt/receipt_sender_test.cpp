#include <gtest/gtest.h>

#include "receipt/receipt_rig.h"
#include "receipt/receipt_sender.h"

namespace varkon::test {
namespace {

using Commands = std::vector<std::string>;
using L = ReceiptLine;

L Sale(const char* quantity, const char* price, const char* code = "") {
    return {.price = price,
            .char_ = "ABC",
            .CODE = code,
            .vat = "1",
            .quantity = quantity,
            .linetype = L::kSale};
}

// The commands comms sends for `line`, which it may rewrite; a warning lands in `boxes`.
Commands Sent(L& line, const char* curr = "0", const char* keyboff = "fals",
              bool ZeroSubtotal = true, std::vector<RecordedBox>* boxes = nullptr) {
    ReceiptRig rig;
    rig.settings.curr = curr;
    rig.settings.keyboff = keyboff;
    ReceiptSender(rig.link, rig.notices).comms(line, ReceiptSettingsOf(rig.settings), ZeroSubtotal);
    if (boxes) *boxes = rig.notices.boxes;
    return rig.wire->commands;
}
Commands Sent(L&& line, const char* curr = "0", const char* keyboff = "fals",
              bool ZeroSubtotal = true) {
    return Sent(line, curr, keyboff, ZeroSubtotal);
}

TEST(ReceiptSender, SaleKeysSignQuantityPriceAndCode) {
    L two = Sale("2000", "1,50");
    EXPECT_EQ((Commands{"KX2* ", "KX150R1ABC"}), Sent(two));
    EXPECT_EQ("150", two.price);
    EXPECT_EQ("2,000", two.quantity);
    EXPECT_EQ((Commands{"KX150R1ABC"}), Sent(Sale("1000", "1,50")));
    EXPECT_EQ((Commands{"KX150R1ABC"}), Sent(Sale("500", "1,50")));
    EXPECT_EQ((Commands{"KX12. \r\n", "KX500* ", "KX150R1ABC"}), Sent(Sale("12500", "1,50")));
    EXPECT_EQ((Commands{"KX- ", "KX150R1ABC"}), Sent(Sale("1000", "-1.50")));
    EXPECT_EQ((Commands{"KX- ", "KX2* ", "KX150R1ABC"}), Sent(Sale("-2000", "1.50")));
    EXPECT_EQ((Commands{"KX- ", "KX- ", "KX2* ", "KX150R1ABC"}), Sent(Sale("-2000", "-1.50")));
    EXPECT_EQ((Commands{"KX1,50R1ABC"}), Sent(Sale("", "1,50")));
    EXPECT_EQ((Commands{std::string("KX10PLK\x8D\x86:5201234567890"), "KX150R1ABC"}),
              Sent(Sale("2000", "1,50", "A5201234567890")));
    EXPECT_EQ((Commands{"KX1PL", "KX150ACABC", "KX42AC"}),
              Sent(Sale("1000", "1,50", "N42"), "0", "true"));
    EXPECT_EQ((Commands{"KX1PL", "KX150ACABC"}), Sent(Sale("2000", "1,50"), "0", "true"));
}

TEST(ReceiptSender, SalePriceBecomesWholeCentsOrAWarning) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.29", "29"},  {"12,505", "1250"}, {"1,999999999999999", "200"},
        {"0150", "150"}, {"abc", "0"},       {"", "0"},
        {"12abc", "12"}, {",5", "50"},       {"-0,001", "0"},
        {"1,", "100"},   {"0,0000001", "0"}, {"-0,0000001", "0"},
    };
    for (const auto& [price, cents] : cases) {
        EXPECT_EQ((Commands{"KX" + std::string(cents) + "R1ABC"}), Sent(Sale("1000", price)))
            << price;
    }
    for (const char* price : {"1.2.3", "1,5a", "99999999999999,99"}) {
        L line = Sale("-2000", price);
        std::vector<RecordedBox> boxes;
        EXPECT_EQ((Commands{}), Sent(line, "0", "fals", true, &boxes)) << price;
        ASSERT_EQ(1u, boxes.size());
        EXPECT_NE(std::string::npos, boxes[0].text.find(price));
        EXPECT_EQ(48, boxes[0].style);
    }
}

TEST(ReceiptSender, PaymentsAdjustmentsAndRawCommands) {
    const L tender{.price = "500", .total = "3", .linetype = L::kTender};
    EXPECT_EQ((Commands{"KXT3"}), Sent({.total = "3", .linetype = L::kTender}));
    EXPECT_EQ((Commands{"KX500T3"}), Sent(L(tender), "0", "fals", false));
    EXPECT_EQ((Commands{}), Sent({.price = "0", .linetype = L::kTender}, "0", "fals", false));
    EXPECT_EQ((Commands{"KXT1"}), Sent({.price = "0", .linetype = L::kTender}, "1"));
    EXPECT_EQ((Commands{"KX500T1"}), Sent(L(tender), "1"));
    EXPECT_EQ((Commands{"KXST", "KXT2"}), Sent(L(tender), "2"));
    EXPECT_EQ((Commands{"KX500T3"}), Sent(L(tender), "3"));
    EXPECT_EQ((Commands{}), Sent(L(tender), "4"));
    EXPECT_EQ((Commands{"KXST", "KXST", "KX- ", "KX100GE"}),
              Sent({.discount = "100", .linetype = L::kSubtotalAdjustment}));
    EXPECT_EQ((Commands{"KXST", "KX100GE"}),
              Sent({.addon = "100", .linetype = L::kSubtotalAdjustment}));
    EXPECT_EQ((Commands{}), Sent({.discount = "000", .linetype = L::kSubtotalAdjustment}));
    EXPECT_EQ((Commands{"ABC"}), Sent({.char_ = "ABC", .linetype = L::kRaw}));

    L zero{.discount = "0", .linetype = L::kAmountDiscount};
    EXPECT_EQ((Commands{}), Sent(zero));
    EXPECT_EQ(L::kAmountDiscount, zero.linetype);
    L percent{.char_ = "X", .percentdis = "1000", .linetype = L::kPercentDiscount};
    EXPECT_EQ((Commands{"KX- ", "KX1000% X"}), Sent(percent));
    EXPECT_EQ(0, percent.linetype);
    EXPECT_EQ((Commands{"KX5% X"}), Sent({.char_ = "X", .percentadd = "5", .linetype = 52}));
    EXPECT_EQ((Commands{"KX150GEX"}), Sent({.char_ = "X", .addon = "150", .linetype = 54}));
}

}  // namespace
}  // namespace varkon::test
