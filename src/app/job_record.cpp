#include "app/job_record.h"

#include <algorithm>

namespace varkon {
namespace {

// A long receipt adds a record per command; past this many the file is written anew, short.
constexpr std::size_t kRecordsBeforeRewrite = 4096;

}  // namespace

bool JobRecord::open() {
    read();
    // Written anew at once: what followed a damaged record is gone, and appends go after it.
    healthy_ = rewrite();
    return healthy_;
}

void JobRecord::read() {
    current_.reset();
    RecordFileContents read = ParseRecordFile(ReadWholeFile(FromFsPath(file_)));
    jobs_ = std::move(read.jobs);
    nextId_ = std::max(nextId_, read.nextId);
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
    write(JobBeganPayload(job));
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
    write(AnsweredPayload(job->id, job->answered));
    return healthy_;
}

void JobRecord::noteMessage() {
    RecordedJob* job = current();
    if (job == nullptr || job->messageShown) return;
    job->messageShown = true;
    write(MessageShownPayload(job->id));
}

void JobRecord::markSent() {
    RecordedJob* job = current();
    if (job == nullptr) return;
    job->sent = true;
    write(SentPayload(job->id));
    current_.reset();
}

void JobRecord::forget(std::uint64_t id) {
    const auto it =
        std::find_if(jobs_.begin(), jobs_.end(), [id](const auto& j) { return j.id == id; });
    if (it == jobs_.end()) return;
    if (current_ == id) current_.reset();
    jobs_.erase(it);
    // Written anew: a record with no job left is empty.
    if (!rewrite()) write(GonePayload(id));
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
    if (!out_.append(RecordLine(payload))) healthy_ = false;
}

bool JobRecord::rewrite() {
    const std::string text = RecordFileText(jobs_);
    // The append handle is closed first: a file open elsewhere cannot be replaced on Windows.
    out_.close();
    recordsSinceRewrite_ = 0;
    if (ReplaceFileAtomically(file_, text) != 0) return false;
    return out_.open(file_);
}

}  // namespace varkon
