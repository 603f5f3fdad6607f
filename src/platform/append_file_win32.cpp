#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>

#include "platform/append_file.h"

namespace varkon {

bool AppendFile::open(const std::filesystem::path& file) {
    close();
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // A new file's name is in the file system's journal, which the file's flush commits; an
    // existing one is flushed by every append.
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (created || entryPending_) {
        entryPending_ = FlushFileBuffers(h) == 0;
        if (entryPending_) {
            CloseHandle(h);
            return false;
        }
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool AppendFile::append(std::string_view bytes) {
    if (handle_ == -1) return false;
    HANDLE h = reinterpret_cast<HANDLE>(handle_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return FlushFileBuffers(h) != 0;
}

void AppendFile::close() {
    if (handle_ == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

}  // namespace varkon
