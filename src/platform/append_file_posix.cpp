#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/append_file.h"

namespace varkon {

bool AppendFile::open(const std::filesystem::path& file) {
    close();
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
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
