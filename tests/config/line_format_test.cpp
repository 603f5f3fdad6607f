#include "config/line_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varkon {
namespace {

TEST(LineFormat, FourFieldsReadWithBlanksAndEitherCase) {
    const std::vector<std::pair<std::string, LineFormat>> cases = {
        {"9600,n,8,1", LineFormat{}},
        {" 19200 ,\tE , 7 ,2 ", LineFormat{19200, Parity::kEven, 7, 2}},
        {"300,O,5,1", LineFormat{300, Parity::kOdd, 5, 1}},
        {"000000009,N,6,2", LineFormat{9, Parity::kNone, 6, 2}},
    };
    for (const auto& [text, format] : cases) {
        EXPECT_EQ(format, ParseLineFormat(text)) << text;
    }
}

TEST(LineFormat, AnythingElseIsNoFormat) {
    for (const char* text : {"", "9600", "9600,n,8", "9600,n,8,1,", "9600,n,8,1,1", ",n,8,1",
                             "abc,n,8,1", "+9600,n,8,1", "-9600,n,8,1", "1234567890,n,8,1",
                             "96 00,n,8,1", "9600,x,8,1", "9600,,8,1", "9600,n,9,1", "9600,n,4,1",
                             "9600,n,88,1", "9600,n,8,0", "9600,n,8,1.5", "9600;n;8;1"}) {
        EXPECT_EQ(std::nullopt, ParseLineFormat(text)) << text;
    }
}

// The settings hold only the speed; what the line cannot take (12345) is the port's to refuse.
TEST(LineFormat, SpeedOfTheSettingsGetsTheRegistersFixedFormat) {
    EXPECT_EQ(LineFormat{}, LineFormatForSpeed("9600"));
    EXPECT_EQ((LineFormat{12345, Parity::kNone, 8, 1}), LineFormatForSpeed("12345"));
    for (const char* baud : {"", " ", "abc", "9600x", "9600,n"}) {
        EXPECT_EQ(std::nullopt, LineFormatForSpeed(baud)) << baud;
    }
    EXPECT_EQ("9600,n,8,1", LineFormatText(LineFormat{}));
    EXPECT_EQ("19200,e,7,2", LineFormatText({19200, Parity::kEven, 7, 2}));
    EXPECT_EQ("300,o,5,1", LineFormatText({300, Parity::kOdd, 5, 1}));
}

}  // namespace
}  // namespace varkon
