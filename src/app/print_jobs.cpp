#include "app/print_jobs.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "app/base/file_helpers.h"
#include "app/base/fs_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varkon {
namespace {

namespace fs = std::filesystem;

constexpr int kHighestNumber = 10;

char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

#ifndef _WIN32
// A writer's lock on the whole file or a part of it, of either kind this platform has (they do
// not see each other): flock, and fcntl record locks.
bool WriterHoldsLock(int fd) {
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(fd, LOCK_UN);
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;  // start 0, length 0: the whole file
    return ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}
#endif

// Opens the file for reading and closes it again (on Windows with other readers locked out).
PrintFileState TryOpen(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return PrintFileState::kMissing;
#ifdef _WIN32
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                   ? PrintFileState::kBeingWritten
                   : PrintFileState::kUnreadable;
    }
    CloseHandle(h);
#else
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return PrintFileState::kUnreadable;
    const bool locked = WriterHoldsLock(fd);
    ::close(fd);
    if (locked) return PrintFileState::kBeingWritten;
#endif
    return fs::is_regular_file(file, ec) ? PrintFileState::kReady : PrintFileState::kUnreadable;
}

}  // namespace

std::uintmax_t FileLength(const std::string& path) {
    std::error_code ec;
    const fs::path file = ToFsPath(path);
    if (!fs::is_regular_file(file, ec)) return 0;
    std::uintmax_t size = fs::file_size(file, ec);
    return ec ? 0 : size;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    const fs::path file = ToFsPath(path);
#ifdef _WIN32
    HANDLE h = CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
#else
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
#endif
}

std::string FindPrintJob(const ParamSettings& settings) {
    if (settings.defacto != "no") {
        std::string candidate = settings.location + "noname.prn";
        return FileLength(candidate) > 0 ? candidate : std::string();
    }
    if (settings.file.find("*.") != std::string::npos) {
        const std::vector<std::string> names = MatchingFiles(settings.location + settings.file);
        if (names.empty()) return {};
        std::string candidate = settings.location + names.front();
        return FileLength(candidate) > 0 ? candidate : std::string();
    }
    for (int n = 1; n <= kHighestNumber; ++n) {
        std::string candidate = settings.location + settings.file + "." + std::to_string(n);
        if (FileLength(candidate) > 0) return candidate;
    }
    return {};
}

bool EndsWithPrg(std::string_view path) {
    if (path.size() < 3) return false;
    std::string_view end = path.substr(path.size() - 3);
    return FoldCase(end[0]) == 'P' && FoldCase(end[1]) == 'R' && FoldCase(end[2]) == 'G';
}

PrintFileState PrintFileWatch::check(const std::string& path) {
    const fs::path file = ToFsPath(path);
    const PrintFileState state = TryOpen(file);
#ifdef _WIN32
    return state;
#else
    if (state != PrintFileState::kReady) return state;
    std::error_code sizeError, timeError;
    const std::uintmax_t size = fs::file_size(file, sizeError);
    const fs::file_time_type modified = fs::last_write_time(file, timeError);
    if (sizeError || timeError) return PrintFileState::kUnreadable;

    // Written long enough ago: the writer is done with it.
    if (modified + settle_ <= fs::file_time_type::clock::now()) {
        seen_.erase(path);
        return PrintFileState::kReady;
    }
    // A recent (or future-dated) time: wait until this watch has seen it unchanged for a while.
    const auto now = std::chrono::steady_clock::now();
    auto it = seen_.find(path);
    if (it != seen_.end() && it->second.size == size && it->second.modified == modified) {
        if (now - it->second.since < settle_) return PrintFileState::kBeingWritten;
        seen_.erase(it);
        return PrintFileState::kReady;
    }
    seen_[path] = Seen{size, modified, now};
    return PrintFileState::kBeingWritten;
#endif
}

}  // namespace varkon
