#include "receipt/print_file_reader.h"

#include <system_error>

namespace varkon {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

}  // namespace

PrintFileReader::Status PrintFileReader::open(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return Status::kNotFound;
    if (ec || std::filesystem::is_directory(status)) return Status::kUnreadable;
    in_.open(path, std::ios::binary);
    if (!in_.is_open()) return Status::kUnreadable;
    buffer_.resize(kBufferBytes);
    return Status::kOk;
}

bool PrintFileReader::fill() {
    if (!in_.is_open() || failed_) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (in_.bad()) {
        failed_ = true;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
}

bool PrintFileReader::next(std::string& line) {
    line.clear();
    bool started = false;
    for (;;) {
        if (pos_ == end_ && !fill()) return started && !failed_;
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        started = true;
        while (pos_ < end_) {
            const char c = buffer_[pos_++];
            if (c == '\n') return true;
            if (c == '\r') {
                skipLineFeed_ = true;
                return true;
            }
            if (line.size() < kKeptBytes) line += c;
        }
    }
}

}  // namespace varkon
