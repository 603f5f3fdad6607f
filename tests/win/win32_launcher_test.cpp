#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/launcher.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

using namespace std::chrono_literals;

// Waits for a file the started program writes; its content, or empty after a generous wait.
std::string AwaitFile(const test::TempDir& dir, std::string_view name) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string content = dir.read(name);
        if (!content.empty() && content.back() == '\n') return content;
        std::this_thread::sleep_for(50ms);
    }
    return dir.read(name);
}

TEST(Win32Launcher, BatchFileGetsThePrintFilePathAsOneArgument) {
    test::TempDir dir;
    const std::string out = FromFsPath(dir / "argument.txt");
    dir.write("convert.bat", "@echo off\r\necho [%~1]> \"" + out + "\"\r\n");
    auto launcher = MakeLauncher();
    ASSERT_TRUE(
        launcher->start(FromFsPath(dir / "convert.bat"), {"C:\\print files\\print.1"}, true));
    EXPECT_EQ("[C:\\print files\\print.1]\r\n", AwaitFile(dir, "argument.txt"));
}

TEST(Win32Launcher, NothingTheInterpreterWouldActOnReachesIt) {
    test::TempDir dir;
    dir.write("convert.bat", "@echo off\r\n");
    auto launcher = MakeLauncher();
    const std::string batch = FromFsPath(dir / "convert.bat");
    for (const char* argument : {"a&b", "a|b", "%PATH%", "a>b", "\"a\""}) {
        EXPECT_FALSE(launcher->start(batch, {argument}, true)) << argument;
    }
    EXPECT_FALSE(launcher->start(FromFsPath(dir / "missing.exe"), {}, true));
    EXPECT_FALSE(launcher->start("", {}, true));
}

}  // namespace
}  // namespace varkon
