#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

#include "greek/cp1253.h"
#include "platform/folder_watch.h"
#include "support/temp_dir.h"
#include "support/utf8_paths.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TempDir;

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// What the watch has seen within a generous limit, gathered until `name` is among the names or
// the system has said that something else happened. Windows names a file only when it was renamed
// within the folder; one moved in from elsewhere is only "something happened" there.
FolderWatch::Changes SeenUntil(FolderWatch& watch, const std::string& name) {
    FolderWatch::Changes all;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!Has(all.finished, name) && !all.other && watch.waitUntil(until)) {
        FolderWatch::Changes some = watch.take();
        all.finished.insert(all.finished.end(), some.finished.begin(), some.finished.end());
        all.other = all.other || some.other;
    }
    return all;
}

// The names the watch gives within a generous limit, gathered until `name` is among them; the
// notice of a write (which may come late) does not end the wait.
std::vector<std::string> NamesUntil(FolderWatch& watch, const std::string& name) {
    std::vector<std::string> names;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!Has(names, name) && watch.waitUntil(until)) {
        const FolderWatch::Changes some = watch.take();
        names.insert(names.end(), some.finished.begin(), some.finished.end());
    }
    return names;
}

// Whether the wait handle would wake a waiter right now (a front end's notifier, varkond's loop).
bool HandleFires(std::intptr_t handle) {
#ifdef _WIN32
    return WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 0) == WAIT_OBJECT_0;
#else
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
#endif
}

// Written under another name, then renamed within `folder`: named as finished on both systems.
// Between the two the watch is renewed, as every tick of the job loop renews it before its look.
bool RenamedInIsSeen(FolderWatch& watch, const fs::path& folder, const std::string& name) {
    test::Write(folder / "whole.tmp", " PRG KY1\r\n");
    std::this_thread::sleep_for(50ms);  // the write's own notice comes first, and is taken
    watch.take();
    if (!watch.watch(folder)) return false;
    fs::rename(folder / "whole.tmp", folder / name);
    return Has(NamesUntil(watch, name), name);
}

TEST(FolderWatch, AFileRenamedInIsNamedAsFinished) {
    TempDir dir;
    FolderWatch watch;
    ASSERT_TRUE(watch.watch(dir.path()));
    EXPECT_NE(-1, watch.waitHandle());
    EXPECT_FALSE(watch.waitUntil(std::chrono::steady_clock::now() + 50ms));  // nothing yet

    // Written under another name, then renamed within the folder: the host's surest way.
    test::Write(dir / "whole.tmp", " PRG KY1\r\n");
    std::this_thread::sleep_for(50ms);  // the write's own notice comes first, and is taken
    watch.take();
    fs::rename(dir / "whole.tmp", test::At(dir, "απόδειξη.1"));
    const std::string name = Utf8ToCp1253("απόδειξη.1");  // names come as code page 1253
    FolderWatch::Changes changes;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!Has(changes.finished, name) && watch.waitUntil(until)) changes = watch.take();
    EXPECT_TRUE(Has(changes.finished, name));
    EXPECT_FALSE(watch.waitUntil(std::chrono::steady_clock::now() + 20ms));  // all taken

    // Moved in from another folder: named on Linux, "something happened" on Windows.
    fs::create_directory(dir / "elsewhere");
    test::Write(dir / "elsewhere" / "moved.prn", " PRG KY2\r\n");
    fs::rename(dir / "elsewhere" / "moved.prn", dir / "moved.1");
    changes = SeenUntil(watch, "moved.1");
    EXPECT_TRUE(Has(changes.finished, "moved.1") || changes.other);
}

TEST(FolderWatch, OnlyTheWatchedFolderCounts) {
    TempDir dir;
    fs::create_directory(dir / "a");
    fs::create_directory(dir / "b");
    FolderWatch watch;
    ASSERT_TRUE(watch.watch(dir / "a"));
    ASSERT_TRUE(watch.watch(dir / "b"));  // instead of a
    test::Write(dir / "tmp", "x");
    fs::rename(dir / "tmp", dir / "a" / "in.a");
    test::Write(dir / "tmp", "y");
    fs::rename(dir / "tmp", dir / "b" / "in.b");
    const FolderWatch::Changes changes = SeenUntil(watch, "in.b");
    EXPECT_TRUE(Has(changes.finished, "in.b") || changes.other);
    EXPECT_FALSE(Has(changes.finished, "in.a"));

    FolderWatch nowhere;
    EXPECT_FALSE(nowhere.watch(dir / "missing"));
    EXPECT_FALSE(nowhere.waitUntil(std::chrono::steady_clock::now() + 10ms));
    EXPECT_TRUE(nowhere.take().finished.empty());
}

// The host's folder deleted, or moved away (to the recycle bin, say), and made again under its
// name: the next watch() of that name watches the new folder, and nothing keeps waking the
// waiters meanwhile.
TEST(FolderWatch, AFolderMadeAgainIsWatchedAgain) {
    TempDir dir;
    const fs::path in = dir / "in";
    fs::create_directory(in);
    FolderWatch watch;
    const std::intptr_t handle = watch.waitHandle();
    ASSERT_TRUE(watch.watch(in));

    fs::remove_all(in);
    // Whatever the going away wakes is taken, and then the handle is quiet. (Wine removes a
    // folder only once the watch has let go of it, so there it may still be there for a while.)
    watch.waitUntil(std::chrono::steady_clock::now() + 200ms);
    watch.take();
    EXPECT_FALSE(HandleFires(handle));
    EXPECT_EQ(fs::exists(in), watch.watch(in));  // the tick while it is gone
    EXPECT_FALSE(HandleFires(handle));
    fs::create_directories(in);
    ASSERT_TRUE(watch.watch(in));
    EXPECT_EQ(handle, watch.waitHandle());  // what a front end waits on stays the same
    EXPECT_TRUE(RenamedInIsSeen(watch, in, "again.1"));

    // Moved away and made again before anybody looked: the folder moved away counts no more.
    fs::create_directory(dir / "bin");
    fs::rename(in, dir / "bin" / "in");
    fs::create_directory(in);
    ASSERT_TRUE(watch.watch(in));
    test::Write(in / "whole.tmp", "x");
    test::Write(dir / "bin" / "in" / "old.tmp", "y");
    std::this_thread::sleep_for(50ms);
    watch.take();
    fs::rename(dir / "bin" / "in" / "old.tmp", dir / "bin" / "in" / "old.1");
    fs::rename(in / "whole.tmp", in / "after.1");
    const std::vector<std::string> names = NamesUntil(watch, "after.1");
    EXPECT_TRUE(Has(names, "after.1"));
    EXPECT_FALSE(Has(names, "old.1"));
}

}  // namespace
}  // namespace varkon
