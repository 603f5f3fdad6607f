// Files and paths on Windows: UTF-16 names made through the program's own code page table (so a
// name shown to the operator and the name the file system sees are the same letters), shared
// opens, the writer's exclusive hold as the sign of a print file still being written, and the
// atomic replace with MoveFileEx.
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
#include <system_error>

#include "greek/cp1253.h"
#include "platform/files.h"

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

int ReplaceFileAtomically(const fs::path& target, const std::string& bytes) {
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

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    HANDLE h = CreateFileW(ToFsPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The file must open for reading with other readers locked out, which fails while the host
// application still holds it.
PrintFileState PrintFileWatch::check(const std::string& path) {
    const fs::path file = ToFsPath(path);
    std::error_code ec;
    if (!fs::exists(file, ec)) return PrintFileState::kMissing;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
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

}  // namespace varkon
