#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "platform/launcher.h"
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

TEST(Win32Launcher, GreekFolderNamesReachTheProgram) {
    // The converter of a Greek shop, in its Greek folder, given a print file of another.
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Μετατροπή");
    std::filesystem::create_directory(dir / "Ταμείο");
    dir.write("Ταμείο/print.1", "x");
    dir.write("Μετατροπή/convert.bat",
              "@echo off\r\nif exist \"%~1\" echo found> \"%~dp0result.txt\"\r\n");
    auto launcher = MakeLauncher();
    ASSERT_TRUE(launcher->start(FromFsPath(dir / "Μετατροπή/convert.bat"),
                                {FromFsPath(dir / "Ταμείο/print.1")}, true));
    EXPECT_EQ("found\r\n", AwaitFile(dir, "Μετατροπή/result.txt"));
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

TEST(Win32Launcher, StopLastStartedEndsAProgramThatRunsOn) {
    test::TempDir dir;
    // Ticks for ever, starting a child of its own at every turn.
    dir.write(
        "convert.bat",
        "@echo off\r\n:loop\r\necho x>> \"%~dp0ticks.txt\"\r\ncmd /d /c exit 0\r\ngoto loop\r\n");
    auto launcher = MakeLauncher();
    ASSERT_TRUE(launcher->start(FromFsPath(dir / "convert.bat"), {}, true));
    EXPECT_FALSE(AwaitFile(dir, "ticks.txt").empty());

    launcher->stopLastStarted();
    std::this_thread::sleep_for(500ms);
    const std::size_t ticks = dir.read("ticks.txt").size();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(ticks, dir.read("ticks.txt").size());
}

}  // namespace
}  // namespace varkon
