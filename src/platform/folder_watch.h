// FolderWatch: tells the moment files in a folder are finished, so that a print file is taken as
// soon as its writer is done instead of at the next look. On Linux it is inotify (a file closed
// after writing, or renamed into the folder); on Windows ReadDirectoryChangesW (a file renamed in;
// a write only wakes the look, since Windows cannot say when the writer is done). A folder that
// sends no notifications (a network share) simply never wakes anybody: the regular look stays.
// folder_watch_posix.cpp and folder_watch_win32.cpp hold the system's calls.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varkon {

class FolderWatch {
  public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` from now on, instead of any earlier one; false when it cannot be watched.
    bool watch(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return folder_; }

    // What a front end waits on, the same for the watch's whole life: a descriptor that becomes
    // readable (POSIX), an event that becomes signalled (Windows). -1 when the system has none.
    std::intptr_t waitHandle() const { return waitHandle_; }

    struct Changes {
        // Names (code page 1253) of files whose writer is known to be done with them.
        std::vector<std::string> finished;
        // Something else happened that is worth a look: a write (Windows), or more changes than
        // the system could keep (their names are lost).
        bool other = false;
    };
    // What has happened since the last call; never waits.
    Changes take();
    // Waits until something happens in the folder or `until` passes; true when something did.
    bool waitUntil(std::chrono::steady_clock::time_point until);

  private:
    std::filesystem::path folder_;
    std::intptr_t waitHandle_ = -1;
    std::intptr_t watchId_ = -1;  // the inotify watch, or the directory handle on Windows
    [[maybe_unused]] void* state_ = nullptr;  // the pending directory read (Windows only)
};

}  // namespace varkon
