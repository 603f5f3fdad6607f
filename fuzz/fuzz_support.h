// What the fuzz targets share: an in-memory file with a path the readers can open, so a run never
// touches the disk or collides with a parallel job. Each target owns its own objects; nothing
// here is global. The targets that need the notices of the lower layers take them from
// support/quiet_notices.h, which answers every box with OK.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace varkon::fuzz {

// The input of one run as a file: a memfd, reachable by name through /proc/self/fd.
class MemFile {
  public:
    explicit MemFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
        if (fd_ < 0) std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemFile() { ::close(fd_); }
    MemFile(const MemFile&) = delete;
    MemFile& operator=(const MemFile&) = delete;

    // Replaces the whole content.
    void set(std::string_view bytes) const {
        if (::ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
    }

    const std::string& path() const { return path_; }

  private:
    int fd_;
    std::string path_;
};

}  // namespace varkon::fuzz
