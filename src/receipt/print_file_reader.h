// PrintFileReader walks a host application's print file line by line in bounded memory: it keeps
// the first kKeptBytes of each line and skips the rest unread into memory, so a huge line or a
// file without line ends costs no more than a short one. It owns the open file until destroyed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varkon {

class PrintFileReader {
  public:
    // No record reads beyond column 95; the rest of a longer line is never needed.
    static constexpr std::size_t kKeptBytes = 256;

    enum class Status { kOk, kNotFound, kUnreadable };

    Status open(const std::filesystem::path& path);

    // The next line without its end (CR LF, a lone CR or a lone LF), cut to kKeptBytes. False at
    // the end of the file and after a read error (then failed() is true).
    bool next(std::string& line);
    bool failed() const { return failed_; }

  private:
    bool fill();

    std::ifstream in_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool skipLineFeed_ = false;  // the previous line ended with CR: a LF right after belongs to it
    bool failed_ = false;
};

}  // namespace varkon
