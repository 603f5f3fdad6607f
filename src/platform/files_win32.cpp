// Files and paths on Windows: UTF-16 names made through the program's own code page table (so a
// name shown to the operator and the name the file system sees are the same letters), shared
// opens, the writer's hold as the sign of a print file still being written, the atomic replace
// with MoveFileEx, and the folder's lock with LockFileEx.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <system_error>

#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/fnv1a.h"

namespace fs = std::filesystem;

namespace varkon {
namespace {

std::wstring Cp1253ToWide(std::string_view cp1253) {
    std::wstring wide;
    wide.reserve(cp1253.size());
    for (char c : cp1253)
        wide += static_cast<wchar_t>(Cp1253CodePoint(static_cast<unsigned char>(c)));
    return wide;
}

// UTF-16 to code page 1253; whatever the page lacks becomes '?', a surrogate pair a single '?'.
std::string WideToCp1253(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto cp = static_cast<char32_t>(wide[i]);
        const bool pair = cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() &&
                          static_cast<char32_t>(wide[i + 1]) >= 0xDC00 &&
                          static_cast<char32_t>(wide[i + 1]) <= 0xDFFF;
        if (pair) ++i;
        out += pair ? '?' : Cp1253Byte(cp);
    }
    return out;
}

}  // namespace

bool IsHiddenFile(const fs::directory_entry& entry, std::string_view) {
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

fs::path ToFsPath(std::string_view cp1253Path) {
    return fs::path(Cp1253ToWide(cp1253Path));
}

std::string FromFsPath(const fs::path& path) {
    return WideToCp1253(path.native());
}

std::string_view PathSeparators() {
    return "/\\:";
}

std::FILE* OpenForReading(const fs::path& file) {
    // Windows' plain open denies others while the file is open; this one shares it.
    return _wfsopen(file.c_str(), L"rb", _SH_DENYNO);
}

std::FILE* OpenForReadWrite(const fs::path& file) {
    int fd = -1;
    if (_wsopen_s(&fd, file.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0) {
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "r+b");
    if (stream == nullptr) _close(fd);
    return stream;
}

bool SeekTo(std::FILE* stream, std::uint64_t offset) {
    return _fseeki64(stream, static_cast<__int64>(offset), SEEK_SET) == 0;
}

int ReplaceFileAtomically(const fs::path& target, const std::string& bytes, bool, bool) {
    fs::path temp = target;
    temp += L".tmp";
    HANDLE handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        ok = WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) != 0;
        done += written;
    }
    // The bytes on the disk before the move, and the move itself on the disk before it returns.
    ok = ok && FlushFileBuffers(handle) != 0;
    ok = CloseHandle(handle) != 0 && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        DeleteFileW(temp.c_str());
        return -1;
    }
    return 0;
}

bool SyncFolderOf(const fs::path&) {
    // NTFS keeps names in its journal: FlushFileBuffers on the file, or a move with
    // MOVEFILE_WRITE_THROUGH, commits the folder's entry with it. A folder cannot be flushed
    // without write access to the folder object itself, which a shop's user may lack.
    return true;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    // Folders are identified too (the print folder's own): Windows opens a folder only with
    // backup semantics, which changes nothing for a file opened for its attributes.
    HANDLE h = CreateFileW(ToFsPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::optional<FileContent> ReadFileContent(const std::string& path) {
    HANDLE h = CreateFileW(ToFsPath(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    bool ok = GetFileType(h) == FILE_TYPE_DISK;
    constexpr DWORD kChunk = 64 * 1024;
    const auto buffer = std::make_unique<char[]>(kChunk);
    Fnv1a hash;
    std::uint64_t size = 0;
    while (ok) {
        DWORD got = 0;
        ok = ReadFile(h, buffer.get(), kChunk, &got, nullptr) != 0;
        if (!ok || got == 0) break;
        hash.add(buffer.get(), got);
        size += got;
    }
    // The time after the read: a write that went on during it shows as a later time.
    BY_HANDLE_FILE_INFORMATION info{};
    ok = ok && GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return std::nullopt;
    FileContent content;
    content.identity = {info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    content.size = size;
    content.modified =
        static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                  info.ftLastWriteTime.dwLowDateTime);
    content.hash = hash.value();
    return content;
}

// Windows takes a file at once when its writer has let it go; there is no settling wait to skip.
void PrintFileWatch::markFinished(const std::string&) {}

// The file must open for reading with writers locked out, which fails while the host application
// still has it open for writing. Other readers may keep it open: a virus scanner often does.
PrintFileState PrintFileWatch::check(const std::string& path) {
    const fs::path file = ToFsPath(path);
    std::error_code ec;
    if (!fs::exists(file, ec)) return PrintFileState::kMissing;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                   ? PrintFileState::kBeingWritten
                   : PrintFileState::kUnreadable;
    }
    CloseHandle(h);
    return fs::is_regular_file(file, ec) ? PrintFileState::kReady : PrintFileState::kUnreadable;
}

FolderLock::~FolderLock() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

// A byte-range lock rather than a handle that shares nothing: a virus scanner or a backup that
// opens the lock file for a moment must not keep the program from starting.
bool FolderLock::acquire(const fs::path& file) {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    HANDLE h =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A lock file another user made may be read-only to this one; the lock needs no more.
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    // Locks belong to the handle: a second handle in this process is refused as well.
    OVERLAPPED whole{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                    &whole)) {
        CloseHandle(h);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

}  // namespace varkon
