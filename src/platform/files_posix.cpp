// Files and paths on POSIX: UTF-8 names, advisory locks of either kind, Linux read leases as the
// sign of a writer that does not lock, stat identities, the atomic replace with mkstemp, fsync,
// rename and fsync of the folder, and the folder's lock with flock.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <memory>
#include <system_error>

#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/fnv1a.h"

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

// A writer that holds the file open without any lock, seen where the system tells (Linux): a read
// lease is refused while any process has the file open for writing. The lease is given back at
// once, so a writer opening the file just then waits for no more than that. Where no lease can be
// had for another reason (another user's file without CAP_LEASE, a file system without leases)
// this cannot tell, and the settle time decides alone.
bool OpenForWritingElsewhere(int fd) {
#if defined(F_SETLEASE) && defined(F_SETSIG)
    // A writer opening the file while the lease is held makes the kernel signal the holder, with
    // SIGIO unless told otherwise, and SIGIO ends a process that does not handle it. SIGURG is
    // ignored unless handled, and this program handles it nowhere.
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0) return false;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN;
#else
    (void)fd;
    return false;
#endif
}

// Opens the file for reading and closes it again; a file a writer holds locked, or (where that
// can be seen) open at all, is not done.
PrintFileState TryOpen(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return PrintFileState::kMissing;
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    // A non-blocking open fails this way only while another holds a write lease on the file.
    if (fd < 0 && errno == EWOULDBLOCK) return PrintFileState::kBeingWritten;
    if (fd < 0) return PrintFileState::kUnreadable;
    const bool writing = WriterHoldsLock(fd) || OpenForWritingElsewhere(fd);
    ::close(fd);
    if (writing) return PrintFileState::kBeingWritten;
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

int ReplaceFileAtomically(const fs::path& target, const std::string& bytes, bool ownerOnly,
                          bool syncFolder) {
    // The name is made unique by mkstemp, so two writers never share a temporary file and a
    // temporary file left by a crash never blocks the next save.
    if (target.filename().empty()) return -1;
    std::string temp = (target.parent_path() / (target.filename().native() + ".XXXXXX")).native();
    int fd = mkstemp(temp.data());
    if (fd < 0) return -1;
    // mkstemp creates the file readable by its owner only; give it the old file's permissions,
    // or the usual ones for a new file.
    struct stat old {};
    // (Of the file itself: a link in its place is replaced, and its target's rights are no guide.)
    mode_t mode =
        ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : 0644;
    if (ownerOnly) mode = 0600;
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
    // The rename lives in the folder, which fsync of the file does not write: until the folder is
    // on the disk, a power cut can bring the old file back.
    return !syncFolder || SyncFolderOf(target) ? 0 : -1;
}

bool SyncFolderOf(const fs::path& file) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    int rc = 0;
    do {
        rc = ::fsync(dir);
    } while (rc != 0 && errno == EINTR);
    const int error = rc == 0 ? 0 : errno;
    ::close(dir);
    // Some file systems (network shares among them) cannot sync a folder and say so; they write
    // names through on their own terms, and nothing better can be had there.
    return rc == 0 || error == EINVAL || error == ENOTSUP || error == EOPNOTSUPP;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat status {};
    if (::stat(ToFsPath(path).c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<FileContent> ReadFileContent(const std::string& path) {
    // Non-blocking, so that a FIFO under the name cannot hold the caller; only ordinary files
    // are read.
    const int fd = ::open(ToFsPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    constexpr std::size_t kChunk = 64 * 1024;
    const auto buffer = std::make_unique<char[]>(kChunk);
    Fnv1a hash;
    std::uint64_t size = 0;
    while (ok) {
        const ssize_t got = ::read(fd, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        hash.add(buffer.get(), static_cast<std::size_t>(got));
        size += static_cast<std::uint64_t>(got);
    }
    // The time after the read: a write that went on during it shows as a later time.
    ok = ok && ::fstat(fd, &status) == 0;
    ::close(fd);
    if (!ok) return std::nullopt;
    FileContent content;
    content.identity = {static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
    content.size = size;
    content.modified =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    content.hash = hash.value();
    return content;
}

PrintFileState PrintFileWatch::check(const std::string& path) {
    const fs::path file = ToFsPath(path);
    const PrintFileState state = TryOpen(file);
    if (state != PrintFileState::kReady) return state;
    std::error_code sizeError, timeError;
    const std::uintmax_t size = fs::file_size(file, sizeError);
    const fs::file_time_type modified = fs::last_write_time(file, timeError);
    if (sizeError || timeError) return PrintFileState::kUnreadable;

    // The system said the writer is done, and the file is as it was then.
    if (auto done = finished_.find(path); done != finished_.end()) {
        const bool unchanged = done->second.size == size && done->second.modified == modified;
        finished_.erase(done);
        if (unchanged) {
            seen_.erase(path);
            return PrintFileState::kReady;
        }
    }
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

void PrintFileWatch::markFinished(const std::string& path) {
    const fs::path file = ToFsPath(path);
    std::error_code sizeError, timeError;
    const std::uintmax_t size = fs::file_size(file, sizeError);
    const fs::file_time_type modified = fs::last_write_time(file, timeError);
    if (sizeError || timeError) return;
    // Bounded: a folder where files come and go unseen must not grow this for ever.
    if (finished_.size() > 1024) finished_.clear();
    finished_[path] = Seen{size, modified, std::chrono::steady_clock::now()};
}

FolderLock::~FolderLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool FolderLock::acquire(const fs::path& file) {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    // A lock file another user made may be read-only to this one; flock needs no more than that.
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0) return false;
    // flock belongs to the open file, not the process: a second open here is refused as well.
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

}  // namespace varkon
