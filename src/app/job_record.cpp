#include "app/job_record.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace varkon {
namespace {

// A long receipt adds a record per command; past this many the file is written anew, short.
constexpr std::size_t kRecordsBeforeRewrite = 4096;

std::uint32_t Crc32(std::string_view text) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : text) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Hex(std::string_view bytes) {
    static const char* kDigits = "0123456789abcdef";
    if (bytes.empty()) return "-";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex == "-") return std::string();
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (ec != std::errc() || end != hex.data() + i + 2) return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

template <class Number>
bool ReadNumber(std::string_view text, Number& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t blank = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, blank - at));
        at = blank + 1;
    }
    return words;
}

// The settings as eight digits, one per value, in the order of ReceiptSettings.
std::string SettingsText(const ReceiptSettings& s) {
    std::string text;
    for (int value :
         {int(s.pos21), int(s.printDescription), int(s.quantityInDescription), int(s.itemCodes),
          int(s.comments), int(s.settlement), int(s.keyboardOff), int(s.departments)}) {
        text += static_cast<char>('0' + value);
    }
    return text;
}

std::optional<ReceiptSettings> SettingsFrom(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    int v[8];
    for (int i = 0; i < 8; ++i) {
        v[i] = text[static_cast<std::size_t>(i)] - '0';
        if (v[i] < 0 || v[i] > 4) return std::nullopt;
    }
    if (v[3] > static_cast<int>(ItemCodes::kArticle)) return std::nullopt;
    ReceiptSettings s;
    s.pos21 = v[0] != 0;
    s.printDescription = v[1] != 0;
    s.quantityInDescription = v[2] != 0;
    s.itemCodes = static_cast<ItemCodes>(v[3]);
    s.comments = v[4] != 0;
    s.settlement = static_cast<Settlement>(v[5]);
    s.keyboardOff = v[6] != 0;
    s.departments = v[7] != 0;
    return s;
}

std::string JobText(const RecordedJob& job) {
    const FileContent& c = job.content;
    return "job " + std::to_string(job.id) + " " + Hex(job.path) + " " +
           std::to_string(c.identity.volume) + " " + std::to_string(c.identity.number) + " " +
           std::to_string(c.size) + " " + std::to_string(c.modified) + " " +
           std::to_string(c.hash) + " " + SettingsText(job.settings);
}

std::optional<RecordedJob> JobFrom(const std::vector<std::string_view>& w) {
    RecordedJob job;
    if (w.size() != 9 || !ReadNumber(w[1], job.id)) return std::nullopt;
    const auto path = FromHex(w[2]);
    const auto settings = SettingsFrom(w[8]);
    if (!path || !settings) return std::nullopt;
    job.path = *path;
    job.settings = *settings;
    FileContent& c = job.content;
    if (!ReadNumber(w[3], c.identity.volume) || !ReadNumber(w[4], c.identity.number) ||
        !ReadNumber(w[5], c.size) || !ReadNumber(w[6], c.modified) || !ReadNumber(w[7], c.hash)) {
        return std::nullopt;
    }
    return job;
}

std::string Line(const std::string& payload) {
    char check[16];
    std::snprintf(check, sizeof check, "%08x", static_cast<unsigned>(Crc32(payload)));
    return payload + " *" + check + "\n";
}

}  // namespace

bool JobRecord::open() {
    read();
    // Written anew at once: what followed a damaged record is gone, and appends go after it.
    healthy_ = rewrite();
    return healthy_;
}

void JobRecord::read() {
    jobs_.clear();
    current_.reset();
    const std::string text = ReadWholeFile(FromFsPath(file_));
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) break;  // torn at the end
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        const std::size_t mark = line.rfind(" *");
        if (mark == std::string_view::npos) break;
        const std::string_view payload = line.substr(0, mark);
        std::uint32_t crc = 0;
        const std::string_view check = line.substr(mark + 2);
        const auto [p, ec] = std::from_chars(check.data(), check.data() + check.size(), crc, 16);
        if (ec != std::errc() || p != check.data() + check.size() || crc != Crc32(payload)) break;

        const std::vector<std::string_view> w = Words(payload);
        std::uint64_t id = 0;
        if (w.size() < 2 || !ReadNumber(w[1], id)) break;
        nextId_ = std::max(nextId_, id + 1);
        if (w[0] == "job") {
            const auto job = JobFrom(w);
            if (!job) break;
            jobs_.push_back(*job);
            continue;
        }
        auto it =
            std::find_if(jobs_.begin(), jobs_.end(), [id](const auto& j) { return j.id == id; });
        if (it == jobs_.end()) continue;
        if (w[0] == "ans" && w.size() == 3) {
            ReadNumber(w[2], it->answered);
        } else if (w[0] == "msg") {
            it->messageShown = true;
        } else if (w[0] == "sent") {
            it->sent = true;
        } else if (w[0] == "gone") {
            jobs_.erase(it);
        }
    }
}

const RecordedJob* JobRecord::unfinished() const {
    for (const RecordedJob& job : jobs_) {
        if (!job.sent) return &job;
    }
    return nullptr;
}

const RecordedJob* JobRecord::sentJobWith(const FileContent& content) const {
    for (const RecordedJob& job : jobs_) {
        if (job.sent && job.content == content) return &job;
    }
    return nullptr;
}

const RecordedJob* JobRecord::sentJobGrownInto(const std::string& path) const {
    for (const RecordedJob& job : jobs_) {
        if (!job.sent || job.path != path) continue;
        const std::optional<FileIdentity> identity = IdentifyFile(path);
        if (!identity || *identity != job.content.identity) continue;
        if (FileLength(path) <= job.content.size) continue;
        if (HashOfFirstBytes(path, job.content.size) == job.content.hash) return &job;
    }
    return nullptr;
}

RecordedJob* JobRecord::current() {
    if (!current_) return nullptr;
    for (RecordedJob& job : jobs_) {
        if (job.id == *current_) return &job;
    }
    return nullptr;
}

bool JobRecord::begin(const std::string& path, const FileContent& content,
                      const ReceiptSettings& settings) {
    RecordedJob job;
    job.id = nextId_++;
    job.path = path;
    job.content = content;
    job.settings = settings;
    jobs_.push_back(job);
    write(JobText(job));
    if (!healthy_) {
        jobs_.pop_back();
        return false;
    }
    current_ = job.id;
    passed_ = 0;
    return true;
}

bool JobRecord::resume() {
    // What was answered while the record could not be written is known here only: it reaches the
    // disk before a command goes out, or that command would be sent again after a crash.
    if (!healthy_ && !(healthy_ = rewrite())) return false;
    if (const RecordedJob* job = unfinished()) {
        current_ = job->id;
        passed_ = 0;
    }
    return true;
}

bool JobRecord::replaying() const {
    if (!current_) return false;
    for (const RecordedJob& job : jobs_) {
        if (job.id == *current_) return passed_ < job.answered;
    }
    return false;
}

bool JobRecord::answeredBefore() {
    RecordedJob* job = current();
    if (job == nullptr || passed_ >= job->answered) return false;
    ++passed_;
    return true;
}

bool JobRecord::answered() {
    RecordedJob* job = current();
    if (job == nullptr) return true;
    ++passed_;
    job->answered = passed_;
    write("ans " + std::to_string(job->id) + " " + std::to_string(job->answered));
    return healthy_;
}

void JobRecord::noteMessage() {
    RecordedJob* job = current();
    if (job == nullptr || job->messageShown) return;
    job->messageShown = true;
    write("msg " + std::to_string(job->id));
}

void JobRecord::markSent() {
    RecordedJob* job = current();
    if (job == nullptr) return;
    job->sent = true;
    write("sent " + std::to_string(job->id));
    current_.reset();
}

void JobRecord::forget(std::uint64_t id) {
    const auto it =
        std::find_if(jobs_.begin(), jobs_.end(), [id](const auto& j) { return j.id == id; });
    if (it == jobs_.end()) return;
    if (current_ == id) current_.reset();
    jobs_.erase(it);
    // Written anew: a record with no job left is empty.
    if (!rewrite()) write("gone " + std::to_string(id));
}

void JobRecord::forgetPrintedFilesGone() {
    std::vector<std::uint64_t> gone;
    for (const RecordedJob& job : jobs_) {
        if (job.sent && IdentifyFile(job.path) != job.content.identity) gone.push_back(job.id);
    }
    for (const std::uint64_t id : gone) forget(id);
}

void JobRecord::write(const std::string& payload) {
    // After a failed write the file may end in a torn record, and whatever were appended after it
    // would be ignored when it is read; it is written anew whole, the new record with it (every
    // caller has put it in jobs_ first).
    if (!healthy_) {
        healthy_ = rewrite();
        return;
    }
    if (++recordsSinceRewrite_ > kRecordsBeforeRewrite && rewrite()) return;
    if (!out_.isOpen() && !out_.open(file_)) {
        healthy_ = false;
        return;
    }
    if (!out_.append(Line(payload))) healthy_ = false;
}

bool JobRecord::rewrite() {
    std::string text;
    for (const RecordedJob& job : jobs_) {
        text += Line(JobText(job));
        if (job.answered > 0) {
            text += Line("ans " + std::to_string(job.id) + " " + std::to_string(job.answered));
        }
        if (job.messageShown) text += Line("msg " + std::to_string(job.id));
        if (job.sent) text += Line("sent " + std::to_string(job.id));
    }
    // The append handle is closed first: a file open elsewhere cannot be replaced on Windows.
    out_.close();
    recordsSinceRewrite_ = 0;
    if (ReplaceFileAtomically(file_, text) != 0) return false;
    return out_.open(file_);
}

}  // namespace varkon
