// JobRecord: the durable record of the receipts being sent, kept in varkon.job in the work
// folder. Before the first command of a receipt it records which file it is (path, identity,
// size, time and a hash of the content) and the settings it is translated with; as the register
// answers it records how many commands it took. A program killed at any instant, or a line that
// went dead, leaves an unfinished job that the job loop finishes first, from the first command
// whose answer never came; a receipt that went out whole but whose file could not be deleted is
// remembered, so that it is deleted later and never printed again.
//
// The form (job_record_format.h): an append-only file of text records, each ending in a CRC-32 of
// its text; every record is on the disk before the next command goes out. A record torn by a
// crash fails its check, and it and everything after it are ignored. The file is rewritten whole
// (atomically) when a job ends and when it has grown long, so it stays small.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/job_record_format.h"
#include "config/settings_values.h"
#include "link/command_journal.h"
#include "platform/append_file.h"
#include "platform/files.h"

namespace varkon {

class JobRecord final : public CommandJournal {
  public:
    explicit JobRecord(std::filesystem::path file) : file_(std::move(file)) {}

    // Reads what an earlier run left and opens the record for writing; false when it cannot be
    // written (then no receipt may start).
    bool open();
    // Only reads what the record holds: a look from outside the program that owns it.
    void read();

    // The job whose commands did not all go out, if there is one.
    const RecordedJob* unfinished() const;
    // The job that went out whole from exactly this content, if its file was not deleted yet.
    const RecordedJob* sentJobWith(const FileContent& content) const;
    // The job that went out whole from the beginning of the file now at `path`, which has grown
    // since (the host appended to it while or after it was sent), if there is one. Such a file
    // is never printed again from its first line.
    const RecordedJob* sentJobGrownInto(const std::string& path) const;
    const std::vector<RecordedJob>& jobs() const { return jobs_; }

    // A receipt begins; on the disk before it returns. false when it could not be recorded.
    bool begin(const std::string& path, const FileContent& content,
               const ReceiptSettings& settings);
    // The unfinished job is sent again: the commands it says were answered are passed over.
    // false when the record, which could not be written before, still cannot be: then nothing
    // may be sent.
    bool resume();
    // The receipt being sent went out whole.
    void markSent();
    // The operator was shown a message during the receipt being sent.
    void noteMessage();
    // The receipt being sent stopped short; it stays unfinished for a later attempt.
    void pause() { current_.reset(); }
    // The job's print file is gone or is no longer the one printed: the job is forgotten.
    void forget(std::uint64_t id);
    // Forgets every job kept as printed (its deletion failed, or its file grew after it was sent)
    // whose file is gone: a file made anew under its name is another receipt.
    void forgetPrintedFilesGone();

    // True while a resumed receipt passes over commands answered before.
    bool replaying() const;
    // False once a record could not be written: the disk is full or the folder read-only. The
    // next record written then writes the whole file anew, so that nothing it missed is lost.
    bool healthy() const { return healthy_; }

    bool answeredBefore() override;
    bool answered() override;

  private:
    RecordedJob* current();
    void write(const std::string& payload);
    bool rewrite();

    std::filesystem::path file_;
    AppendFile out_;
    std::vector<RecordedJob> jobs_;
    std::uint64_t nextId_ = 1;
    std::optional<std::uint64_t> current_;  // the id of the job being sent
    std::uint64_t passed_ = 0;              // commands of it passed in this run
    std::size_t recordsSinceRewrite_ = 0;
    bool healthy_ = true;
};

}  // namespace varkon
