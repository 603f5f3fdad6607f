#include <gtest/gtest.h>

#include "config/settings_values.h"

namespace varkon {
namespace {

// The texts are compared exactly as the program always compared them: four-character flags,
// case mattering except where both spellings were accepted, anything unknown meaning "off" for
// a flag that must be "true" and "on" for one that must not be "fals".
TEST(SettingsValues, FlagsReadAsTheConsumersAlwaysReadTheirTexts) {
    ParamSettings s;
    ReceiptSettings r = ReceiptSettingsOf(s);  // every text empty
    EXPECT_TRUE(r.printDescription);           // only "fals" switches descriptions off
    EXPECT_FALSE(r.quantityInDescription || r.comments || r.keyboardOff || r.departments ||
                 r.pos21);
    EXPECT_EQ(ItemCodes::kNone, r.itemCodes);
    EXPECT_EQ(Settlement::kNone, r.settlement);

    s.printDescription = "fals";
    s.quantity = "true";
    s.comment = "TRUE";
    s.keyboardOff = "True";  // only the lower-case text counts here
    s.directDepartments = "true";
    s.registerType = "pos21";
    r = ReceiptSettingsOf(s);
    EXPECT_FALSE(r.printDescription);
    EXPECT_FALSE(r.quantityInDescription);  // needs descriptions set "true" as well
    EXPECT_TRUE(r.comments && r.departments && r.pos21);
    EXPECT_FALSE(r.keyboardOff);

    s.printDescription = "true";
    EXPECT_TRUE(ReceiptSettingsOf(s).quantityInDescription);
    s.printDescription = "";
    EXPECT_FALSE(ReceiptSettingsOf(s).quantityInDescription);
}

TEST(SettingsValues, ItemCodesAreTheFirstSixCharacters) {
    ParamSettings s;
    for (const auto& [text, codes] :
         {std::pair<const char*, ItemCodes>{"true N", ItemCodes::kNumeric},
          {"true A", ItemCodes::kArticle},
          {"true Nx", ItemCodes::kNumeric},
          {"true n", ItemCodes::kNone},
          {"true", ItemCodes::kNone},
          {"falseN", ItemCodes::kNone}}) {
        s.printCode = text;
        EXPECT_EQ(codes, ReceiptSettingsOf(s).itemCodes) << text;
    }
}

TEST(SettingsValues, ModesAndSettlementsHaveOneTextEach) {
    ParamSettings s;
    for (const auto& [text, mode] :
         {std::pair<const char*, FileMode>{"fals", FileMode::kSingleFile},
          {"true", FileMode::kNumberedFiles},
          {"false", FileMode::kNone},
          {"", FileMode::kNone}}) {
        s.multi = text;
        EXPECT_EQ(mode, FileModeOf(s)) << text;
    }
    for (const auto& [text, settlement] :
         {std::pair<const char*, Settlement>{"0", Settlement::kTenderKey},
          {"1", Settlement::kMainCurrency},
          {"2", Settlement::kSecondCurrency},
          {"3", Settlement::kThirdCurrency},
          {"4", Settlement::kNone},
          {"", Settlement::kNone}}) {
        s.currency = text;
        EXPECT_EQ(settlement, SettlementOf(s)) << text;
        EXPECT_EQ(settlement, ReceiptSettingsOf(s).settlement) << text;
    }
    s.hostFile = "no";
    EXPECT_FALSE(UsesHostFile(s));
    for (const char* text : {"", "NO", "yes", "n"}) {
        s.hostFile = text;
        EXPECT_TRUE(UsesHostFile(s)) << text;
    }
}

}  // namespace
}  // namespace varkon
