#include "app/job_record_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/crc32.h"

namespace varkon {
namespace {

// A path as hex digits, so that blanks and any byte in it leave the words of the line alone;
// "-" for an empty one.
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

// The payload of a line whose check holds; nothing for a line torn or damaged.
std::optional<std::string_view> CheckedPayload(std::string_view line) {
    const std::size_t mark = line.rfind(" *");
    if (mark == std::string_view::npos) return std::nullopt;
    const std::string_view payload = line.substr(0, mark);
    std::uint32_t crc = 0;
    const std::string_view check = line.substr(mark + 2);
    const auto [p, ec] = std::from_chars(check.data(), check.data() + check.size(), crc, 16);
    if (ec != std::errc() || p != check.data() + check.size() || crc != Crc32(payload)) {
        return std::nullopt;
    }
    return payload;
}

}  // namespace

std::string RecordLine(std::string_view payload) {
    char check[16];
    std::snprintf(check, sizeof check, "%08x", static_cast<unsigned>(Crc32(payload)));
    return std::string(payload) + " *" + check + "\n";
}

std::string JobBeganPayload(const RecordedJob& job) {
    const FileContent& c = job.content;
    return "job " + std::to_string(job.id) + " " + Hex(job.path) + " " +
           std::to_string(c.identity.volume) + " " + std::to_string(c.identity.number) + " " +
           std::to_string(c.size) + " " + std::to_string(c.modified) + " " +
           std::to_string(c.hash) + " " + SettingsText(job.settings);
}

std::string AnsweredPayload(std::uint64_t id, std::uint64_t answered) {
    return "ans " + std::to_string(id) + " " + std::to_string(answered);
}

std::string MessageShownPayload(std::uint64_t id) {
    return "msg " + std::to_string(id);
}

std::string SentPayload(std::uint64_t id) {
    return "sent " + std::to_string(id);
}

std::string GonePayload(std::uint64_t id) {
    return "gone " + std::to_string(id);
}

std::string RecordFileText(const std::vector<RecordedJob>& jobs) {
    std::string text;
    for (const RecordedJob& job : jobs) {
        text += RecordLine(JobBeganPayload(job));
        if (job.answered > 0) text += RecordLine(AnsweredPayload(job.id, job.answered));
        if (job.messageShown) text += RecordLine(MessageShownPayload(job.id));
        if (job.sent) text += RecordLine(SentPayload(job.id));
    }
    return text;
}

RecordFileContents ParseRecordFile(std::string_view text) {
    RecordFileContents read;
    std::vector<RecordedJob>& jobs = read.jobs;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) break;  // torn at the end
        const std::optional<std::string_view> payload = CheckedPayload(text.substr(at, end - at));
        at = end + 1;
        if (!payload) break;

        const std::vector<std::string_view> w = Words(*payload);
        std::uint64_t id = 0;
        if (w.size() < 2 || !ReadNumber(w[1], id)) break;
        read.nextId = std::max(read.nextId, id + 1);
        if (w[0] == "job") {
            const auto job = JobFrom(w);
            if (!job) break;
            jobs.push_back(*job);
            continue;
        }
        auto it =
            std::find_if(jobs.begin(), jobs.end(), [id](const auto& j) { return j.id == id; });
        if (it == jobs.end()) continue;
        if (w[0] == "ans" && w.size() == 3) {
            ReadNumber(w[2], it->answered);
        } else if (w[0] == "msg") {
            it->messageShown = true;
        } else if (w[0] == "sent") {
            it->sent = true;
        } else if (w[0] == "gone") {
            jobs.erase(it);
        }
    }
    return read;
}

}  // namespace varkon
