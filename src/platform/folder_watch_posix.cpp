#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool FolderWatch::watch(const std::filesystem::path& folder) {
    if (waitHandle_ < 0) return false;
    const int fd = static_cast<int>(waitHandle_);
    if (watchId_ >= 0 && folder == folder_) return true;
    if (watchId_ >= 0) ::inotify_rm_watch(fd, static_cast<int>(watchId_));
    watchId_ = -1;
    folder_ = folder;
    const std::filesystem::path target = folder.empty() ? std::filesystem::path(".") : folder;
    // Only the moments a writer is done: closed after writing, or renamed in whole.
    const int id = ::inotify_add_watch(fd, target.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    if (id < 0) return false;
    watchId_ = id;
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
            if (event.len > 0 && event.wd == watchId_ && (event.mask & IN_ISDIR) == 0) {
                const char* name = buffer + at + sizeof(inotify_event);
                changes.finished.push_back(
                    Utf8ToCp1253(std::string(name, ::strnlen(name, event.len))));
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
