// Finding the host application's print files: which file is the next job (the Defacto file, the
// first match of a pattern, or the lowest numbered file), and whether a file has been written
// completely. Paths are code page 1253 texts; the job loop in varkon.cpp owns the decisions.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "config/param_settings.h"

namespace varkon {

// Length of the file in bytes; 0 when it is missing or is not an ordinary file.
std::uintmax_t FileLength(const std::string& path);

// The next print file of a numbered-mode tick: location + "noname.prn" unless `defacto` is "no";
// else for a pattern with "*." its first match; else location + file + ".1" ... ".10". A
// candidate counts only with a length above 0. Empty when there is no job.
std::string FindPrintJob(const ParamSettings& settings);

// True when the path ends in "PRG", in any case.
bool EndsWithPrg(std::string_view path);

// Which file a path names: the volume and the file's number on it. A print file that the host
// application deleted and wrote anew under the same name is another file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t number = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file the path names now; nothing when there is none.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

enum class PrintFileState {
    kReady,         // complete: it can be read now
    kBeingWritten,  // the host application is still writing it: a later tick takes it
    kUnreadable,    // there, but it cannot be opened
    kMissing,
};

// Tells whether the host application has finished writing a print file. On Windows the file
// must open for reading with other readers locked out, which fails while the writer holds it.
// On POSIX no writer has to lock: a file that a writer holds locked (flock or a record lock) is
// still being written, and any file must have kept its size and modification time for `settle`:
// either its modification time is that old, or this watch has seen the same size and time for
// that long.
class PrintFileWatch {
  public:
    explicit PrintFileWatch(std::chrono::milliseconds settle) : settle_(settle) {}

    PrintFileState check(const std::string& path);

  private:
    struct Seen {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        std::chrono::steady_clock::time_point since;
    };
    std::chrono::milliseconds settle_;
    std::map<std::string, Seen> seen_;
};

}  // namespace varkon
