// AppendFile: a file that only grows, each record on the disk before append() returns, so that
// whatever the program has written survives the program being killed and the machine losing
// power. The job record of the engine is kept in one. append_file_posix.cpp (write and
// fdatasync; fsync of the folder when the file is new) and append_file_win32.cpp (WriteFile and
// FlushFileBuffers) hold the system's calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace varkon {

class AppendFile {
  public:
    AppendFile() = default;
    ~AppendFile() { close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the file for appending, creating it when missing; a file it creates is in its folder
    // on the disk before this returns. false when it cannot.
    bool open(const std::filesystem::path& file);
    bool isOpen() const { return handle_ != -1; }
    // Writes every byte at the end of the file and forces them to the disk; false on a failure.
    bool append(std::string_view bytes);
    void close();

  private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
    // A file was created whose folder entry could not be forced to the disk: the next open,
    // which finds the file there, tries again.
    bool entryPending_ = false;
};

}  // namespace varkon
