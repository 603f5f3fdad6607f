#include <gtest/gtest.h>

#include <set>

#include "app/controls.h"
#include "app/print_jobs.h"
#include "maintenance/programming_run.h"

namespace varkon {
namespace {

// The window's control names are what the desktop program's widgets and varkond's log carry.
TEST(ControlNames, EveryControlAndWindowHasItsOwnName) {
    std::set<std::string_view> names;
    for (int i = 0; i <= static_cast<int>(Control::kReportsMenu); ++i) {
        const std::string_view name = ControlName(static_cast<Control>(i));
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_EQ("Command1", ControlName(Control::kStartButton));
    EXPECT_EQ("receipt", ControlName(Control::kReceiptCounter));
    EXPECT_EQ("frmparam", WindowName(Window::kSettings));
    EXPECT_EQ("Varkon", WindowName(Window::kMain));
}

TEST(ProgrammingTarget, FollowsTheJobLoopsNames) {
    EXPECT_EQ("c:\\data\\1.prn", ProgrammingTarget({"*.prn", "c:\\data\\", true}));
    EXPECT_EQ("print.1", ProgrammingTarget({"print", "", true}));
    EXPECT_EQ("/d/print", ProgrammingTarget({"print", "/d/", false}));
    EXPECT_EQ("a*.prn", ProgrammingTarget({"a*.prn", "", false}));
}

}  // namespace
}  // namespace varkon
