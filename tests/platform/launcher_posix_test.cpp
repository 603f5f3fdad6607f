#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/launcher.h"
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

// Whether a process has ended: gone, or a zombie that no one has collected yet (an orphan's
// collector may be slow, or absent in a container).
bool Ended(pid_t pid) {
    if (::kill(pid, 0) != 0) return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto name = line.rfind(')');
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'Z';
}

bool EndsSoon(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!Ended(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return Ended(pid);
}

// The process numbers a started `conv` wrote: its own, then that of the child it started.
std::vector<pid_t> WrittenPids(const fs::path& file) {
    std::vector<pid_t> pids;
    if (!AppearsSoon(file)) return pids;
    std::ifstream in(file);
    for (pid_t pid = 0; in >> pid;) pids.push_back(pid);
    return pids;
}

TEST(PosixLauncher, StopLastStartedEndsTheLastProgramWithTheChildItStarted) {
    test::TempDir dir;
    dir.write("conv",
              "#!/bin/sh\nsleep 300 &\necho $$ $! > \"$1.tmp\"\nmv \"$1.tmp\" \"$1\"\nwait\n");
    fs::permissions(dir / "conv", fs::perms::owner_all);
    auto launcher = MakeLauncher();
    launcher->stopLastStarted();  // nothing started yet: nothing to end

    ASSERT_TRUE(launcher->start((dir / "conv").string(), {(dir / "first").string()}, true));
    ASSERT_TRUE(launcher->start((dir / "conv").string(), {(dir / "second").string()}, true));
    const auto first = WrittenPids(dir / "first");
    const auto second = WrittenPids(dir / "second");
    ASSERT_EQ(2u, first.size());
    ASSERT_EQ(2u, second.size());

    launcher->stopLastStarted();
    for (pid_t pid : second) EXPECT_TRUE(EndsSoon(pid)) << pid;
    for (pid_t pid : first) EXPECT_FALSE(Ended(pid)) << "only the last program ends: " << pid;
    launcher->stopLastStarted();  // already ended: nothing more happens

    for (pid_t pid : second) {
        if (!Ended(pid)) ::kill(pid, SIGKILL);  // left by a failure above
    }

    ::kill(-first.front(), SIGKILL);
    for (pid_t pid : first) EXPECT_TRUE(EndsSoon(pid)) << pid;
    launcher->reap();
}

}  // namespace
}  // namespace varkon
