#include "service/rotating_log.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace varkon {

namespace fs = std::filesystem;

RotatingLogBuffer::RotatingLogBuffer(fs::path file, std::uintmax_t maxBytes, int kept)
    : file_(std::move(file)), maxBytes_(maxBytes), kept_(std::max(kept, 1)) {
    open();
}

RotatingLogBuffer::~RotatingLogBuffer() {
    sync();
}

RotatingLogBuffer::int_type RotatingLogBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_ += traits_type::to_char_type(c);
    return c;
}

std::streamsize RotatingLogBuffer::xsputn(const char* bytes, std::streamsize count) {
    pending_.append(bytes, static_cast<std::size_t>(count));
    return count;
}

int RotatingLogBuffer::sync() {
    if (pending_.empty()) return 0;
    if (!out_.is_open()) open();
    if (size_ > 0 && size_ + pending_.size() > maxBytes_) rotate();
    if (out_.is_open()) {
        out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        out_.flush();
        if (out_) {
            size_ += pending_.size();
        } else {
            // A full disk, say: the file is opened afresh for the next message.
            out_.close();
            out_.clear();
        }
    }
    pending_.clear();
    return 0;
}

void RotatingLogBuffer::open() {
    out_.clear();
    out_.open(file_, std::ios::binary | std::ios::app);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file_, ec);
    size_ = ec ? 0 : size;
}

fs::path RotatingLogBuffer::numbered(int n) const {
    fs::path path = file_;
    path += "." + std::to_string(n);
    return path;
}

void RotatingLogBuffer::rotate() {
    // Windows renames no file that is open.
    out_.close();
    std::error_code ec;
    // Room at .1: the older files move up to the first free number, the oldest kept one goes
    // when every number is taken. A free number left by an earlier rotation that failed halfway
    // is filled first, so that a failure repeated at every message never loses the older files.
    int free = 1;
    while (free <= kept_ && fs::exists(numbered(free), ec)) ++free;
    if (free > kept_) {
        fs::remove(numbered(kept_), ec);
        free = kept_;
    }
    for (int n = free; n > 1; --n) {
        fs::rename(numbered(n - 1), numbered(n), ec);
        if (ec) break;
    }
    // Only into a free .1: a rename on POSIX would replace it.
    if (!fs::exists(numbered(1), ec)) fs::rename(file_, numbered(1), ec);
    open();
}

RotatingLog::RotatingLog(fs::path file, std::uintmax_t maxBytes, int kept)
    : std::ostream(nullptr), buffer_(std::move(file), maxBytes, kept) {
    rdbuf(&buffer_);
}

}  // namespace varkon
