// Files and paths, the one place where they differ per system. Paths inside the program are code
// page 1253 texts, as param.ini and the arguments hold them; the file system wants its own
// encoding (UTF-8 on POSIX, UTF-16 on Windows), and every conversion happens here. files.cpp holds
// what is the same everywhere; files_posix.cpp and files_win32.cpp hold the rest. Nothing here
// shows anything: every failure comes back as a value for the caller to report.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varkon {

// ---- Paths

std::filesystem::path ToFsPath(std::string_view cp1253Path);
std::string FromFsPath(const std::filesystem::path& path);

// The characters that end a folder in a path: "/" on POSIX; "/", "\" and ":" on Windows.
std::string_view PathSeparators();

// ---- Reading and writing whole files

// A binary read stream that other readers and writers may share; nullptr when it cannot open.
// The settings files are read afresh at every use while the settings dialog may be writing them.
std::FILE* OpenForReading(const std::filesystem::path& file);

// A binary read-write stream that other readers and writers may share, creating an empty file
// when there is none and never truncating one (vats.dat keeps whatever follows its rates).
std::FILE* OpenForReadWrite(const std::filesystem::path& file);

// Positions a stream at a byte offset that may lie beyond 2 GiB.
bool SeekTo(std::FILE* stream, std::uint64_t offset);

// Writes `bytes` to a fresh file beside `target`, forces it to the disk and renames it over
// `target`, so that readers see either the old file or the whole new one, never a part; the
// rename is on the disk too before it returns, so the new file survives a power cut as well as a
// kill. Returns 0, or -1: the old file is kept, unless only the rename could not be forced to the
// disk (the new file is in place then, but a power cut may bring the old one back).
// `ownerOnly`: only the program's own user may read the new file (POSIX; on Windows the folder's
// rights decide). Without `syncFolder` the rename is not forced to the disk: a caller that
// replaces several files of one folder calls SyncFolderOf once after the last.
int ReplaceFileAtomically(const std::filesystem::path& target, const std::string& bytes,
                          bool ownerOnly = false, bool syncFolder = true);

// Forces the folder's own record of `file` (its creation, or a rename into the folder) to the
// disk: a file's bytes on the disk are no use after a power cut if its name is not. True when it
// is there, or when the file system cannot be asked (some answer a folder's sync with EINVAL or
// ENOTSUP); false on any other failure. POSIX syncs the folder; on Windows the file system keeps
// the name in its journal, which the file's own FlushFileBuffers or a write-through move commits,
// so there this has nothing to do and is true.
bool SyncFolderOf(const std::filesystem::path& file);

// The whole file as bytes; empty when it is missing or cannot be read.
std::string ReadWholeFile(const std::string& path);

// Length of the file in bytes; 0 when it is missing or is not an ordinary file.
std::uintmax_t FileLength(const std::string& path);

// Removes the file; false when it is still there afterwards.
bool RemoveFile(const std::string& path);

// ---- Listing

// True when the path (whose last part may hold * and ?) names at least one ordinary file.
bool FileExists(const std::string& path);

// DOS-style name matching: "*" any run of characters (also none), "?" any one character, letters
// compared without regard to case as the host application's platform lists them; "*.*" matches
// every name.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Hidden files (a leading "." on POSIX, the hidden or system attribute on Windows) are not the
// host application's print files.
bool IsHiddenFile(const std::filesystem::directory_entry& entry, std::string_view name);

// The names (without the folder) of the ordinary, not hidden files in the folder of
// `pathPattern` that match its last part, in byte order: a listing comes in no particular order,
// so byte order is what makes "the first match" the same on every machine.
std::vector<std::string> MatchingFiles(const std::string& pathPattern);

// ---- Print files

// Which file a path names: the volume and the file's number on it. A print file that the host
// application deleted and wrote anew under the same name is another file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t number = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file the path names now; nothing when there is none.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// What a file held when it was read: which file, its size, its modification time and a hash of
// every byte. A print file rewritten in place (same name, same file number) differs in one of them.
struct FileContent {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // modification time in the file system's own ticks
    std::uint64_t hash = 0;     // 64-bit FNV-1a of the bytes
    bool operator==(const FileContent&) const = default;
};
// Reads the whole file in bounded memory (streaming) to take its content's measure; nothing when
// it cannot be opened or read.
std::optional<FileContent> ReadFileContent(const std::string& path);
// The FileContent hash of the file's first `bytes` bytes; nothing when it cannot be read or is
// shorter.
std::optional<std::uint64_t> HashOfFirstBytes(const std::string& path, std::uint64_t bytes);

enum class PrintFileState {
    kReady,         // complete: it can be read now
    kBeingWritten,  // the host application is still writing it: a later tick takes it
    kUnreadable,    // there, but it cannot be opened
    kMissing,
};

// Tells whether the host application has finished writing a print file. On Windows the file
// must open for reading with writers locked out (other readers, such as a virus scanner, may keep
// it open), which fails while the writer holds it. On POSIX no writer has to lock: a file that a
// writer holds locked (flock or a record lock) is still being written; on Linux so is a file that
// any process holds open for writing (a read lease cannot be had on it); and any file must have
// kept its size and modification time for `settle`: either its modification time is that old, or
// this watch has seen the same size and time for that long.
class PrintFileWatch {
  public:
    explicit PrintFileWatch(std::chrono::milliseconds settle) : settle_(settle) {}

    PrintFileState check(const std::string& path);

    // The system has said that the writer is done with the file (it closed it after writing, or
    // renamed it in whole): as long as it stays as it is now, the next check takes it without
    // the settling wait. The lock and open-for-writing checks still apply.
    void markFinished(const std::string& path);

  private:
    struct Seen {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        std::chrono::steady_clock::time_point since;
    };
    std::chrono::milliseconds settle_;
    std::map<std::string, Seen> seen_;
    std::map<std::string, Seen> finished_;  // marked finished, as the file was then
};

// ---- One program per folder

// A lock held for the life of the object, on a lock file of the folder: one program per folder.
// Another process (or another FolderLock in this one) cannot take it while it is held; the lock
// goes with the process, however it ends (POSIX: flock on an open descriptor, O_CLOEXEC; Windows:
// a handle opened with no sharing, or LockFileEx). The file itself is left in place.
class FolderLock {
  public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // Takes the lock on `file` (created when missing); false when another holds it or it cannot
    // be created.
    bool acquire(const std::filesystem::path& file);
    bool held() const;

  private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace varkon
