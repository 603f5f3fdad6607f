#include "folder_sync_recorder.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace varkon::test {
namespace {

struct Watch {
    std::mutex lock;
    bool on = false;
    dev_t volume = 0;
    ino_t folder = 0;
    std::filesystem::path entry;
    int failWith = 0;
    std::vector<FolderSync> syncs;
};

Watch& TheWatch() {
    static Watch watch;
    return watch;
}

using SyncCall = int (*)(int);

SyncCall Next(const char* name) {
    return reinterpret_cast<SyncCall>(::dlsym(RTLD_NEXT, name));
}

// Records the sync when `fd` is the watched folder; false when the sync is to fail.
bool LetThrough(int fd) {
    Watch& watch = TheWatch();
    std::lock_guard hold(watch.lock);
    struct stat status {};
    if (!watch.on || ::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_dev != watch.volume || status.st_ino != watch.folder) {
        return true;
    }
    FolderSync sync;
    struct stat entry {};
    if (::stat(watch.entry.c_str(), &entry) == 0) {
        sync.named = true;
        sync.number = static_cast<std::uint64_t>(entry.st_ino);
    }
    watch.syncs.push_back(sync);
    if (watch.failWith == 0) return true;
    errno = watch.failWith;
    return false;
}

}  // namespace

void WatchFolderSyncs(const std::filesystem::path& folder, const std::filesystem::path& entry) {
    Watch& watch = TheWatch();
    std::lock_guard hold(watch.lock);
    struct stat status {};
    watch.on = ::stat(folder.c_str(), &status) == 0;
    watch.volume = status.st_dev;
    watch.folder = status.st_ino;
    watch.entry = entry;
    watch.syncs.clear();
}

void StopWatchingFolderSyncs() {
    Watch& watch = TheWatch();
    std::lock_guard hold(watch.lock);
    watch.on = false;
    watch.failWith = 0;
    watch.syncs.clear();
}

std::vector<FolderSync> FolderSyncs() {
    Watch& watch = TheWatch();
    std::lock_guard hold(watch.lock);
    return watch.syncs;
}

void FailFolderSyncs(int error) {
    Watch& watch = TheWatch();
    std::lock_guard hold(watch.lock);
    watch.failWith = error;
}

bool FolderSyncsCanBeWatched() {
    const std::filesystem::path here = std::filesystem::temp_directory_path();
    WatchFolderSyncs(here, here / ".");
    const int fd = ::open(here.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    const bool seen = !FolderSyncs().empty();
    StopWatchingFolderSyncs();
    return seen;
}

}  // namespace varkon::test

// The program's own fsync and fdatasync: the calls of the code under test are resolved to these
// when it is linked, and these go on to the next definition (the C library's, or a sanitizer's).
extern "C" int fsync(int fd) {
    static const auto next = varkon::test::Next("fsync");
    if (!varkon::test::LetThrough(fd)) return -1;
    return next(fd);
}

extern "C" int fdatasync(int fd) {
    static const auto next = varkon::test::Next("fdatasync");
    if (!varkon::test::LetThrough(fd)) return -1;
    return next(fd);
}
