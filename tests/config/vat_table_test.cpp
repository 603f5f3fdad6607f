#include <gtest/gtest.h>

#include <string>

#include "config/vat_table.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

using test::TempDir;
using namespace std::literals;

TEST(VatCategory, MissingFileGivesEveryRateZeroAndTheLastCategory) {
    TempDir dir;
    auto vats = dir / "vats.dat";
    EXPECT_EQ("5", VatCategory("0", vats));
    EXPECT_EQ("5", VatCategory(" 0.00 ", vats));
    EXPECT_EQ("5", VatCategory("   ", vats));
    EXPECT_EQ("", VatCategory("24", vats));
    EXPECT_FALSE(std::filesystem::exists(vats));  // a lookup never creates the table
}

TEST(VatCategory, RatesAreComparedWithTwoDecimalsAndTheHighestMatchWins) {
    TempDir dir;
    auto vats = dir / "vats.dat";
    ASSERT_EQ(0, SaveVatRates({24, 13, 6.5, 0.125, 24}, vats));
    EXPECT_EQ("5", VatCategory("24", vats));
    EXPECT_EQ("2", VatCategory("13.001", vats));
    EXPECT_EQ("3", VatCategory("6,499", vats));
    EXPECT_EQ("3", VatCategory(" 6.5", vats));
    EXPECT_EQ("", VatCategory("6,494", vats));
    EXPECT_EQ("4", VatCategory("0,13", vats));  // 0.125 rounds away from zero
    EXPECT_EQ("", VatCategory("0", vats));
    for (auto junk : {"abc", "24%", "1,2,3", "6,499x", "2 4", "-", ","}) {
        EXPECT_EQ("", VatCategory(junk, vats)) << junk;
    }
    ASSERT_EQ(0, SaveVatRates({-0.001, 0, 0, 99.995, 0}, vats));
    EXPECT_EQ("5", VatCategory("-0,004", vats));  // negative zero is zero
    EXPECT_EQ("4", VatCategory("100", vats));
}

TEST(VatTable, FileHoldsLittleEndianDoublesAndIsNeverTruncated) {
    TempDir dir;
    auto vats = dir / "vats.dat";
    dir.write("vats.dat", std::string(40, '\0') + "\x01\x02\x03\x04\x05\x06\x07\x08");
    ASSERT_EQ(0, SaveVatRates({24, 0, 0, 0, -2}, vats));
    EXPECT_EQ("\0\0\0\0\0\0\x38\x40"s + std::string(24, '\0') +
                  "\0\0\0\0\0\0\0\xc0\x01\x02\x03\x04\x05\x06\x07\x08"s,
              dir.read("vats.dat"));
    EXPECT_EQ(-2, VatRate(4, vats));
    EXPECT_EQ(0, VatRate(6, vats));

    // Rates the file holds only in part read as 0; a huge file is read only at its start.
    dir.write("vats.dat", dir.read("vats.dat").substr(0, 13));
    VatRates rates{1, 1, 1, 1, 1};
    ASSERT_EQ(0, LoadVatRates(rates, vats));
    EXPECT_EQ((VatRates{24, 0, 0, 0, 0}), rates);
    EXPECT_EQ(0, VatRate(1, vats));
    dir.write("vats.dat", std::string(16 << 20, '\x7f'));
    ASSERT_EQ(0, LoadVatRates(rates, vats));
    EXPECT_EQ(VatRate(4, vats), rates[4]);
}

TEST(VatRateBoxes, ShowShortestTextsAndCollectCommaOrPointNumbers) {
    TempDir dir;
    auto vats = dir / "vats.dat";
    EXPECT_EQ((VatRateTexts{"0", "0", "0", "0", "0"}), ShowVatRates(vats));
    EXPECT_TRUE(std::filesystem::exists(vats));  // opening the boxes creates an empty table
    EXPECT_EQ((VatRateTexts{"0", "0", "0", "0", "0"}), ShowVatRates(dir.path()));

    VatRateTexts boxes{"24", "8.5", " 13 ", "0,5", "-3"};
    VatRates rates{};
    ASSERT_EQ(0, CollectVatRates(boxes, rates));
    EXPECT_EQ((VatRateTexts{"24", "8,5", " 13 ", "0,5", "-3"}), boxes);
    EXPECT_EQ((VatRates{24, 8.5, 13, 0.5, -3}), rates);
    ASSERT_EQ(0, SaveVatRates(rates, vats));
    EXPECT_EQ((VatRateTexts{"24", "8,5", "13", "0,5", "-3"}), ShowVatRates(vats));

    for (auto junk : {"", "abc", "12a", "1,2,3", "1.2.3", "+", "1e3", "6,5%"}) {
        boxes = {"6.5", junk, "7.5", "1", "1"};
        EXPECT_EQ(-1, CollectVatRates(boxes, rates)) << junk;
        EXPECT_EQ("6,5", boxes[0]);
        EXPECT_EQ("7.5", boxes[2]);  // boxes after the bad one are left alone
    }
    EXPECT_EQ((VatRates{24, 8.5, 13, 0.5, -3}), rates);
}

}  // namespace
}  // namespace varkon
