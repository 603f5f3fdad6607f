#include "receipt/print_file_reader.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

namespace varkon {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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
    std::size_t wanted = buffer_.size();
    if (left_) wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, *left_));
    if (wanted == 0) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(wanted));
    if (in_.bad()) {
        failed_ = true;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    if (left_) *left_ -= end_;
    evidence_.add(std::string_view(buffer_.data(), end_));
    return end_ > 0;
}

bool PrintFileReader::next(std::string& line) {
    if (!utf8_ && !mixed_) return nextLine(line, kKeptBytes);
    // A character takes up to four bytes of UTF-8: as many are kept as hold kKeptBytes of them.
    if (!nextLine(line, 4 * kKeptBytes)) return false;
    if (std::exchange(firstLine_, false) && line.starts_with(kByteOrderMark)) {
        line.erase(0, kByteOrderMark.size());
    }
    if (mixed_) {
        line = MixedUtf8ToCp1253(line);
    } else {
        line = Utf8ToCp1253(line);
        for (char& c : line) {
            if (!Cp1253Assigned(static_cast<unsigned char>(c))) c = '?';
        }
    }
    if (line.size() > kKeptBytes) line.resize(kKeptBytes);
    return true;
}

bool PrintFileReader::nextLine(std::string& line, std::size_t kept) {
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
            if (line.size() < kept) line += c;
        }
    }
}

}  // namespace varkon
