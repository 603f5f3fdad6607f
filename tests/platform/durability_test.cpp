// What survives a power cut: a file created or renamed into a folder is there after one only if
// the folder went to the disk after the name was made. No power can be cut here, so the test
// program watches its own fsync and fdatasync calls (folder_sync_recorder.h) and looks at the
// name in the folder at the instant the folder was synced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>

#include "folder_sync_recorder.h"
#include "platform/append_file.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varkon {
namespace {

using test::FailFolderSyncs;
using test::FolderSyncs;
using test::TempDir;

std::uint64_t FileNumber(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? static_cast<std::uint64_t>(status.st_ino) : 0;
}

class FolderSync : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::FolderSyncsCanBeWatched()) {
            GTEST_SKIP() << "this program's sync calls cannot be watched here";
        }
    }
    void TearDown() override { test::StopWatchingFolderSyncs(); }

    void watch(const fs::path& file) { test::WatchFolderSyncs(dir.path(), file); }

    // How many of the watched folder's syncs happened while the name already held the file it
    // holds now: after the creation or the rename, not before it.
    int syncsNaming(const fs::path& file) const {
        const std::uint64_t now = FileNumber(file);
        int count = 0;
        for (const test::FolderSync& sync : FolderSyncs()) {
            if (sync.named && sync.number == now && now != 0) ++count;
        }
        return count;
    }

    TempDir dir;
};

TEST_F(FolderSync, AReplacedFileIsInItsFolderOnTheDiskBeforeTheReplaceReturns) {
    const fs::path target = dir / "param.ini";
    watch(target);
    ASSERT_EQ(ReplaceFileAtomically(target, "first"), 0);
    EXPECT_EQ(syncsNaming(target), 1) << "a new file";

    watch(target);
    ASSERT_EQ(ReplaceFileAtomically(target, "second"), 0);
    EXPECT_EQ(syncsNaming(target), 1) << "a file replacing another";
    EXPECT_EQ(dir.read("param.ini"), "second");
}

TEST_F(FolderSync, ANewAppendFileIsInItsFolderOnTheDiskBeforeOpenReturns) {
    const fs::path record = dir / "varkon.job";
    watch(record);
    AppendFile out;
    ASSERT_TRUE(out.open(record));
    EXPECT_EQ(syncsNaming(record), 1);

    // A file that is already there costs no sync of the folder: the job record reopens its file
    // after every rewrite.
    out.close();
    watch(record);
    ASSERT_TRUE(out.open(record));
    EXPECT_TRUE(out.append("rec\n"));
    EXPECT_TRUE(FolderSyncs().empty());
    EXPECT_EQ(dir.read("varkon.job"), "rec\n");
}

TEST_F(FolderSync, AFileSystemThatCannotSyncAFolderFailsNoWrite) {
    for (const int error : {EINVAL, ENOTSUP}) {
        SCOPED_TRACE(error);
        const std::string name = "file" + std::to_string(error);
        watch(dir / name);
        FailFolderSyncs(error);
        EXPECT_EQ(ReplaceFileAtomically(dir / name, "whole"), 0);
        EXPECT_EQ(dir.read(name), "whole");

        watch(dir / (name + ".job"));
        FailFolderSyncs(error);
        AppendFile out;
        ASSERT_TRUE(out.open(dir / (name + ".job")));
        EXPECT_TRUE(out.append("rec\n"));
        EXPECT_FALSE(FolderSyncs().empty()) << "the folder was not even asked";
    }
}

TEST_F(FolderSync, AFolderThatFailsItsSyncFailsTheWriteUntilASyncSucceeds) {
    const fs::path target = dir / "param.ini";
    watch(target);
    FailFolderSyncs(EIO);
    EXPECT_EQ(ReplaceFileAtomically(target, "new"), -1);

    const fs::path record = dir / "varkon.job";
    watch(record);
    FailFolderSyncs(EIO);
    AppendFile out;
    EXPECT_FALSE(out.open(record));
    EXPECT_FALSE(out.isOpen());

    // The file is there now, but its name may not be on the disk: the next open syncs the
    // folder all the same.
    watch(record);
    FailFolderSyncs(0);
    ASSERT_TRUE(out.open(record));
    EXPECT_EQ(syncsNaming(record), 1);
}

}  // namespace
}  // namespace varkon
