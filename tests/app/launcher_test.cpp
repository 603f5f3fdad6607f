#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/launcher.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace varkon {
namespace {

// Waits (boundedly) for a file that a started program creates.
bool AppearsSoon(const fs::path& file) {
    for (int i = 0; i < 200 && !fs::exists(file); ++i) std::this_thread::sleep_for(10ms);
    return fs::exists(file);
}

TEST(PosixLauncher, ArgumentsReachTheProgramUnreadAsShellSyntax) {
    test::TempDir dir;
    auto launcher = MakeLauncher();
    const std::string tricky = (dir / "a b; touch pwned $(id)").string();
    ASSERT_TRUE(launcher->start("touch", {tricky}, true));
    EXPECT_TRUE(AppearsSoon(tricky));
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(launcher->start("no-such-program-anywhere", {}, false));
    launcher->reap();
}

TEST(PosixLauncher, BareNameInTheWorkingDirectoryMeansThatFile) {
    test::TempDir dir;
    const auto home = fs::current_path();
    fs::current_path(dir.path());
    dir.write("conv", "#!/bin/sh\ntouch \"$1.done\"\n");
    fs::permissions(dir / "conv", fs::perms::owner_all);
    auto launcher = MakeLauncher();
    EXPECT_TRUE(launcher->start("conv", {"print.1"}, true));
    EXPECT_TRUE(AppearsSoon(dir / "print.1.done"));
    fs::current_path(home);
}

}  // namespace
}  // namespace varkon
