#include <gtest/gtest.h>

#include "app/launcher.h"
#include "app/print_jobs.h"
#include "maintenance/programming_run.h"

namespace varkon {
namespace {

TEST(SplitCommand, SplitsAtBlanksOnly) {
    EXPECT_EQ((std::vector<std::string>{"conv", "/q", "a;b"}), SplitCommand("  conv /q  a;b "));
    EXPECT_TRUE(SplitCommand("   ").empty());
}

TEST(ProgrammingTarget, FollowsTheJobLoopsNames) {
    EXPECT_EQ("c:\\data\\1.prn", ProgrammingTarget({"*.prn", "c:\\data\\", true}));
    EXPECT_EQ("print.1", ProgrammingTarget({"print", "", true}));
    EXPECT_EQ("/d/print", ProgrammingTarget({"print", "/d/", false}));
    EXPECT_EQ("a*.prn", ProgrammingTarget({"a*.prn", "", false}));
}

}  // namespace
}  // namespace varkon
