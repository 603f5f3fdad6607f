// RotatingLog: the log file of varkond run as a Windows service (varkond.log in its folder), kept
// within a size so that a till that runs for years never fills its disk. When the next message
// would take the file past the size, it becomes varkond.log.1, the older ones move up one number
// and the oldest of the kept ones goes. What is written between two flushes is one message and
// lands whole in one file (LogSurface flushes after every line). The writer owns the file; the
// stream is all its user sees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>

namespace varkon {

// The service's log: 1 MiB a file, the current one and three older ones.
inline constexpr std::uintmax_t kServiceLogBytes = 1024 * 1024;
inline constexpr int kServiceLogsKept = 3;

class RotatingLogBuffer final : public std::streambuf {
  public:
    // `kept` older files (at least one) beside `file`, each at most about `maxBytes` long: a
    // single message longer than that still goes whole into a file of its own.
    RotatingLogBuffer(std::filesystem::path file, std::uintmax_t maxBytes, int kept);
    ~RotatingLogBuffer() override;
    RotatingLogBuffer(const RotatingLogBuffer&) = delete;
    RotatingLogBuffer& operator=(const RotatingLogBuffer&) = delete;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    // Writes the message gathered since the last flush, rotating first when it would not fit.
    // Never fails the stream: a log that cannot be written must not silence the ones after it.
    int sync() override;

  private:
    void open();
    // Moves the current file to .1 and the older ones up. Whatever fails leaves the files as they
    // were, and the current one in place to take the message; the next message tries again.
    void rotate();
    std::filesystem::path numbered(int n) const;

    std::filesystem::path file_;
    std::uintmax_t maxBytes_;
    int kept_;
    std::ofstream out_;
    std::uintmax_t size_ = 0;  // of the current file, as far as this writer knows
    std::string pending_;      // the message being gathered
};

class RotatingLog final : public std::ostream {
  public:
    explicit RotatingLog(std::filesystem::path file, std::uintmax_t maxBytes = kServiceLogBytes,
                         int kept = kServiceLogsKept);

  private:
    RotatingLogBuffer buffer_;
};

}  // namespace varkon
