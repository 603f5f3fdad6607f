// PrintFileReader walks a host application's print file line by line in bounded memory: it keeps
// the first kKeptBytes of each line and skips the rest unread into memory, so a huge line or a
// file without line ends costs no more than a short one. It tells whether the file is UTF-8 (a
// modern host's) and can read it as code page 1253. It owns the open file until destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "greek/cp1253.h"

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

    // Whether everything read so far is UTF-8 to be read as code page 1253 (see Utf8Evidence);
    // once the whole file has been read, whether the file is.
    bool looksUtf8() const { return evidence_.utf8(); }
    // From now on each line is taken as UTF-8 and converted to code page 1253, one byte per
    // character, before it is cut, so that its columns are counted in characters as the host
    // wrote them. A leading byte order mark is dropped, and a character the page has no letter
    // for becomes '?'.
    void readAsUtf8() { utf8_ = true; }
    // From now on each line is read as MixedUtf8ToCp1253 reads it: its UTF-8 characters and its
    // code page 1253 bytes one column each. For a file with some lines in either.
    void readAsMixed() { mixed_ = true; }
    // Nothing beyond the first `bytes` bytes is read: what the file held when it was measured,
    // though it has grown since.
    void limitTo(std::uint64_t bytes) { left_ = bytes; }

  private:
    bool fill();
    bool nextLine(std::string& line, std::size_t kept);

    std::ifstream in_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool skipLineFeed_ = false;  // the previous line ended with CR: a LF right after belongs to it
    bool failed_ = false;
    bool utf8_ = false;
    bool mixed_ = false;
    std::optional<std::uint64_t> left_;  // bytes still to be read, when limited
    bool firstLine_ = true;
    Utf8Evidence evidence_;
};

}  // namespace varkon
