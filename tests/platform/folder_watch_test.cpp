#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

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

}  // namespace
}  // namespace varkon
