#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/folder_watch.h"

namespace varkon {
namespace {

// One directory read in flight: its OVERLAPPED and the buffer the system fills.
struct PendingRead {
    OVERLAPPED overlapped{};
    alignas(DWORD) char buffer[16384];
    bool pending = false;
};

HANDLE Event(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

void EndRead(std::intptr_t directory, PendingRead& read) {
    if (directory == -1) return;
    HANDLE dir = reinterpret_cast<HANDLE>(directory);
    if (read.pending) {
        CancelIoEx(dir, &read.overlapped);
        DWORD ignored = 0;
        GetOverlappedResult(dir, &read.overlapped, &ignored, TRUE);
        read.pending = false;
    }
    CloseHandle(dir);
}

bool StartRead(std::intptr_t directory, std::intptr_t event, PendingRead& read) {
    if (directory == -1 || event == -1) return false;
    ResetEvent(Event(event));
    read.overlapped = OVERLAPPED{};
    read.overlapped.hEvent = Event(event);
    // A rename in says the writer is done; a write or a new name only wakes the look.
    read.pending =
        ReadDirectoryChangesW(
            reinterpret_cast<HANDLE>(directory), read.buffer, sizeof read.buffer, FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE,
            nullptr, &read.overlapped, nullptr) != 0;
    return read.pending;
}

std::filesystem::path Target(const std::filesystem::path& folder) {
    return folder.empty() ? std::filesystem::path(".") : folder;
}

HANDLE OpenFolder(const std::filesystem::path& folder) {
    // Every kind of sharing, so that the watch never keeps the folder from being renamed or
    // deleted.
    return CreateFileW(Target(folder).c_str(), FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
}

}  // namespace

FolderWatch::FolderWatch() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event != nullptr) waitHandle_ = reinterpret_cast<std::intptr_t>(event);
    state_ = new PendingRead;
}

FolderWatch::~FolderWatch() {
    drop();
    delete static_cast<PendingRead*>(state_);
    if (waitHandle_ != -1) CloseHandle(Event(waitHandle_));
}

void FolderWatch::drop() {
    EndRead(watchId_, *static_cast<PendingRead*>(state_));
    watchId_ = -1;
    // The ended read may have signalled the event: left so, it would wake its waiters forever.
    if (waitHandle_ != -1) ResetEvent(Event(waitHandle_));
}

bool FolderWatch::stillWatched() const {
    // A folder renamed or moved to the recycle bin keeps its handle, and the handle its
    // notifications: only its path tells that it is not the folder of that name any more.
    return watchedFolder_ && IdentifyFile(FromFsPath(Target(folder_))) == watchedFolder_;
}

bool FolderWatch::watch(const std::filesystem::path& folder) {
    auto& read = *static_cast<PendingRead*>(state_);
    // A folder made again under the same name is another folder: its watch is armed anew.
    if (watchId_ != -1 && folder == folder_ && stillWatched()) return true;
    drop();
    folder_ = folder;
    HANDLE dir = OpenFolder(folder);
    if (dir == INVALID_HANDLE_VALUE) return false;
    watchId_ = reinterpret_cast<std::intptr_t>(dir);
    watchedFolder_ = IdentifyFile(FromFsPath(Target(folder)));
    if (!watchedFolder_ || !StartRead(watchId_, waitHandle_, read)) {
        drop();
        return false;
    }
    return true;
}

FolderWatch::Changes FolderWatch::take() {
    Changes changes;
    auto& read = *static_cast<PendingRead*>(state_);
    if (watchId_ == -1 || !read.pending ||
        WaitForSingleObject(Event(waitHandle_), 0) != WAIT_OBJECT_0) {
        return changes;
    }
    DWORD bytes = 0;
    const bool done =
        GetOverlappedResult(reinterpret_cast<HANDLE>(watchId_), &read.overlapped, &bytes, FALSE);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    read.pending = false;
    // A full buffer (bytes == 0) lost the names; a write has none worth keeping: a look finds them.
    changes.other = !done || bytes == 0;
    for (DWORD at = 0; done && bytes > 0 && at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
        FILE_NOTIFY_INFORMATION info;
        std::memcpy(&info, read.buffer + at, sizeof info);
        const auto* name = reinterpret_cast<const wchar_t*>(
            read.buffer + at + offsetof(FILE_NOTIFY_INFORMATION, FileName));
        if (info.Action == FILE_ACTION_RENAMED_NEW_NAME) {
            const std::wstring wide(name, info.FileNameLength / sizeof(wchar_t));
            changes.finished.push_back(FromFsPath(std::filesystem::path(wide)));
        } else if (info.Action != FILE_ACTION_REMOVED &&
                   info.Action != FILE_ACTION_RENAMED_OLD_NAME) {
            changes.other = true;
        }
        if (info.NextEntryOffset == 0) break;
        at += info.NextEntryOffset;
    }
    // A deleted folder ends its read with an error (access denied) and refuses the next one:
    // the handle is let go, which lets the folder go too, and the next watch() arms it anew.
    const bool failed = !done && error != ERROR_NOTIFY_ENUM_DIR;
    if (failed || !StartRead(watchId_, waitHandle_, read)) drop();
    return changes;
}

bool FolderWatch::waitUntil(std::chrono::steady_clock::time_point until) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) return false;
        const DWORD timeout = static_cast<DWORD>(std::min<long long>(left, 60'000));
        if (waitHandle_ == -1 || watchId_ == -1) {
            Sleep(timeout);
            continue;
        }
        if (WaitForSingleObject(Event(waitHandle_), timeout) == WAIT_OBJECT_0) return true;
    }
}

}  // namespace varkon
