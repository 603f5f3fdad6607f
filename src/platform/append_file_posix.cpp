#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/append_file.h"
#include "platform/files.h"

namespace varkon {
namespace {

constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_CLOEXEC;

}  // namespace

bool AppendFile::open(const std::filesystem::path& file) {
    close();
    // Whether this open creates the file decides whether the folder must be synced, so an
    // existing file is tried first and a new one is made exclusively; EEXIST means another made
    // it in between.
    bool created = false;
    int fd = ::open(file.c_str(), kAppendFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(file.c_str(), kAppendFlags | O_CREAT | O_EXCL, 0644);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST) fd = ::open(file.c_str(), kAppendFlags);
    }
    if (fd < 0) return false;
    if (created || entryPending_) {
        // fdatasync in append() writes the file's bytes, not the folder's entry naming it.
        entryPending_ = !SyncFolderOf(file);
        if (entryPending_) {
            ::close(fd);
            return false;
        }
    }
    handle_ = fd;
    return true;
}

bool AppendFile::append(std::string_view bytes) {
    if (handle_ == -1) return false;
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fdatasync(fd) == 0;
}

void AppendFile::close() {
    if (handle_ == -1) return;
    ::close(static_cast<int>(handle_));
    handle_ = -1;
}

}  // namespace varkon
