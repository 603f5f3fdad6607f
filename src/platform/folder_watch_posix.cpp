#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/folder_watch.h"

namespace varkon {

FolderWatch::FolderWatch() {
    waitHandle_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

FolderWatch::~FolderWatch() {
    if (waitHandle_ >= 0) ::close(static_cast<int>(waitHandle_));
}

namespace {

std::filesystem::path Target(const std::filesystem::path& folder) {
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// The events that say the watched folder itself is gone from its path: removed, renamed or
// moved away, its file system unmounted, or the watch ended by the system (IN_IGNORED).
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

}  // namespace

void FolderWatch::drop() {
    if (watchId_ >= 0)
        ::inotify_rm_watch(static_cast<int>(waitHandle_), static_cast<int>(watchId_));
    watchId_ = -1;
}

bool FolderWatch::stillWatched() const {
    return watchedFolder_ && IdentifyFile(FromFsPath(Target(folder_))) == watchedFolder_;
}

bool FolderWatch::watch(const std::filesystem::path& folder) {
    if (waitHandle_ < 0) return false;
    const int fd = static_cast<int>(waitHandle_);
    // A folder made again under the same name is another folder: its watch is armed anew.
    if (watchId_ >= 0 && folder == folder_ && stillWatched()) return true;
    drop();
    folder_ = folder;
    // Only the moments a writer is done (closed after writing, or renamed in whole), and the
    // folder's own going away.
    const int id = ::inotify_add_watch(
        fd, Target(folder).c_str(),
        IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (id < 0) return false;
    watchId_ = id;
    watchedFolder_ = IdentifyFile(FromFsPath(Target(folder)));
    return true;
}

FolderWatch::Changes FolderWatch::take() {
    Changes changes;
    if (waitHandle_ < 0) return changes;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(waitHandle_), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            if ((event.mask & IN_Q_OVERFLOW) != 0) changes.other = true;
            if (event.wd == watchId_ && (event.mask & kFolderGone) != 0) {
                // Nothing more comes from this watch; a look tells that the folder is gone.
                if ((event.mask & IN_IGNORED) == 0) drop();
                watchId_ = -1;
                changes.other = true;
            }
            // A file closed after writing may be written again at once (a host that appends
            // its payment lines a moment later): that is only a reason to look, and the look
            // waits until the file has been left alone for a while. A file renamed in is whole.
            if (event.len > 0 && event.wd == watchId_ && (event.mask & IN_ISDIR) == 0) {
                const char* name = buffer + at + sizeof(inotify_event);
                std::string text = Utf8ToCp1253(std::string(name, ::strnlen(name, event.len)));
                if ((event.mask & IN_MOVED_TO) != 0) {
                    changes.finished.push_back(std::move(text));
                } else {
                    changes.closed.push_back(std::move(text));
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
        }
    }
    return changes;
}

bool FolderWatch::waitUntil(std::chrono::steady_clock::time_point until) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) return false;
        const int timeout = static_cast<int>(std::min<long long>(left, 60'000));
        if (waitHandle_ < 0 || watchId_ < 0) {
            ::poll(nullptr, 0, timeout);
            continue;
        }
        pollfd p{static_cast<int>(waitHandle_), POLLIN, 0};
        const int ready = ::poll(&p, 1, timeout);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

}  // namespace varkon
