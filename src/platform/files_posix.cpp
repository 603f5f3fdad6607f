// Files and paths on POSIX: UTF-8 names, advisory locks of either kind, stat identities, and the
// atomic replace with mkstemp, fsync and rename.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "greek/cp1253.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace varkon {
namespace {

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

// Opens the file for reading and closes it again; a file a writer holds locked is not done.
PrintFileState TryOpen(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return PrintFileState::kMissing;
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return PrintFileState::kUnreadable;
    const bool locked = WriterHoldsLock(fd);
    ::close(fd);
    if (locked) return PrintFileState::kBeingWritten;
    return fs::is_regular_file(file, ec) ? PrintFileState::kReady : PrintFileState::kUnreadable;
}

}  // namespace

bool IsHiddenFile(const fs::directory_entry&, std::string_view name) {
    return !name.empty() && name.front() == '.';
}

fs::path ToFsPath(std::string_view cp1253Path) {
    return fs::path(Cp1253ToUtf8(cp1253Path));
}

std::string FromFsPath(const fs::path& path) {
    return Utf8ToCp1253(path.native());
}

std::string_view PathSeparators() {
    return "/";
}

std::FILE* OpenForReading(const fs::path& file) {
    return std::fopen(file.c_str(), "rb");
}

std::FILE* OpenForReadWrite(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* stream = ::fdopen(fd, "r+b");
    if (stream == nullptr) ::close(fd);
    return stream;
}

bool SeekTo(std::FILE* stream, std::uint64_t offset) {
    return ::fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

int ReplaceFileAtomically(const fs::path& target, const std::string& bytes) {
    // The name is made unique by mkstemp, so two writers never share a temporary file and a
    // temporary file left by a crash never blocks the next save.
    if (target.filename().empty()) return -1;
    std::string temp = (target.parent_path() / (target.filename().native() + ".XXXXXX")).native();
    int fd = mkstemp(temp.data());
    if (fd < 0) return -1;
    // mkstemp creates the file readable by its owner only; give it the old file's permissions,
    // or the usual ones for a new file.
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        ok = written > 0;
        if (ok) done += static_cast<std::size_t>(written);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return -1;
    }
    // Make the rename itself durable; the new file is complete either way.
    fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat status {};
    if (::stat(ToFsPath(path).c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

PrintFileState PrintFileWatch::check(const std::string& path) {
    const fs::path file = ToFsPath(path);
    const PrintFileState state = TryOpen(file);
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
}

}  // namespace varkon
