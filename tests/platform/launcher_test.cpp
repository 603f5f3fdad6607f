#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/launcher.h"

namespace varkon {
namespace {

TEST(SplitCommand, SplitsAtBlanksOnly) {
    EXPECT_EQ((std::vector<std::string>{"conv", "/q", "a;b"}), SplitCommand("  conv /q  a;b "));
    EXPECT_TRUE(SplitCommand("   ").empty());
}

}  // namespace
}  // namespace varkon
