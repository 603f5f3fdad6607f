// Watches this test program's own fsync and fdatasync calls: the program defines both (in
// folder_sync_recorder.cpp), so every call of the code under test, linked in statically, comes
// here first and goes on to the C library's. A sync of the watched folder is recorded with what
// the watched name in it was at that instant, which tells whether the folder went to the disk
// after the file was created or renamed there; and such a sync can be made to fail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace varkon::test {

// One sync of the watched folder, and the watched name in the folder as it was then.
struct FolderSync {
    bool named = false;        // the name was in the folder
    std::uint64_t number = 0;  // the file it named (its inode)
};

// Records the syncs of `folder` from now on, forgetting earlier ones; `entry` is the file whose
// name is looked at in each.
void WatchFolderSyncs(const std::filesystem::path& folder, const std::filesystem::path& entry);
void StopWatchingFolderSyncs();
std::vector<FolderSync> FolderSyncs();

// Every sync of the watched folder fails with this errno from now on; 0 lets them through.
void FailFolderSyncs(int error);

// True when a sync of a folder made here is seen: the calls cannot be watched otherwise (a runtime
// that takes the calls over before this program does, for one).
bool FolderSyncsCanBeWatched();

}  // namespace varkon::test
