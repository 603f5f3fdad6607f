// FolderWatch: tells the moment files in a folder are finished, so that a print file is taken as
// soon as its writer is done instead of at the next look. A file renamed into the folder is
// named as finished (inotify on Linux, ReadDirectoryChangesW on Windows); a write, or a file
// closed after writing, only wakes the look, which takes such a file once it has been left alone
// for a while: a host may close it and append to it a moment later. A folder that
// sends no notifications (a network share) simply never wakes anybody: the regular look stays.
// A folder that goes away (deleted, renamed, moved to the recycle bin) takes its watch with it:
// the watch notices, and the next watch() of the same folder arms it again once it is back.
// folder_watch_posix.cpp and folder_watch_win32.cpp hold the system's calls.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace varkon {

class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` from now on, instead of any earlier one; false when it cannot be watched.
    // Called again with the same folder it keeps the watch while the folder is the one watched,
    // and arms it anew when the folder has been made again since (or is there at last).
    bool watch(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return folder_; }

    // What a front end waits on, the same for the watch's whole life (arming the watch anew keeps
    // it): a descriptor that becomes readable (POSIX), an event that becomes signalled (Windows).
    // -1 when the system has none.
    std::intptr_t waitHandle() const { return waitHandle_; }

    struct Changes {
        // Names (code page 1253) of files whose writer is known to be done with them.
        std::vector<std::string> finished;
        // Names of files closed after writing: worth a look, but their writer may go on.
        std::vector<std::string> closed;
        // Something else happened that is worth a look: a write (Windows), more changes than
        // the system could keep (their names are lost), or the folder went away.
        bool other = false;
    };
    // What has happened since the last call; never waits.
    Changes take();
    // Waits until something happens in the folder or `until` passes; true when something did.
    bool waitUntil(std::chrono::steady_clock::time_point until);

  private:
    // Ends the watch of a folder that went away, or before another is watched.
    void drop();
    // The watched folder's path still names the folder the watch was armed on.
    bool stillWatched() const;

    std::filesystem::path folder_;
    std::intptr_t waitHandle_ = -1;
    std::intptr_t watchId_ = -1;  // the inotify watch, or the directory handle on Windows
    [[maybe_unused]] void* state_ = nullptr;     // the pending directory read (Windows only)
    std::optional<FileIdentity> watchedFolder_;  // which folder the watch was armed on
};

}  // namespace varkon
