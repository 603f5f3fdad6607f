// What the fuzz targets share: an in-memory file with a path the readers can open (so a run never
// touches the disk or collides with a parallel job), a Surface that answers every box with OK,
// and serial ports that never wait. Each target owns its own objects; nothing here is global.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/serial_port.h"
#include "support/quiet_surface.h"

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

// A port that is never opened: nothing is written, nothing is read.
class ClosedPort final : public SerialPort {
  public:
    int open(const std::string&, const std::string&) override { return -1; }
    bool isOpen() const override { return false; }
    void close() override {}
    bool write(std::string_view) override { return false; }
    std::string read(std::size_t) override { return {}; }
};

}  // namespace varkon::fuzz
