// The text form of varkon.job: one record a line, "<payload> *<CRC-32 as eight hex digits>", the
// payload a word that names the record (job, ans, msg, sent, gone) and the job's id, then its
// values. This unit turns jobs into lines and lines back into jobs; JobRecord decides what is
// written when. Files written by earlier runs must stay readable: the form does not change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_values.h"
#include "platform/files.h"

namespace varkon {

struct RecordedJob {
    std::uint64_t id = 0;
    std::string path;  // the print file (code page 1253)
    FileContent content;
    ReceiptSettings settings;
    std::uint64_t answered = 0;  // commands the register has answered
    bool messageShown = false;   // the operator was shown a message during the job
    bool sent = false;           // every command went out: the file only waits to be deleted
};

// One record as it goes into the file: the payload, its check and the line's end.
std::string RecordLine(std::string_view payload);

// The payloads of the records, one for each thing that happens to a job.
std::string JobBeganPayload(const RecordedJob& job);  // path, identity, size, time, hash, settings
std::string AnsweredPayload(std::uint64_t id, std::uint64_t answered);
std::string MessageShownPayload(std::uint64_t id);
std::string SentPayload(std::uint64_t id);
std::string GonePayload(std::uint64_t id);

// The whole file that holds exactly these jobs, as a rewrite leaves it.
std::string RecordFileText(const std::vector<RecordedJob>& jobs);

struct RecordFileContents {
    std::vector<RecordedJob> jobs;  // as their records left them, in the order they began
    std::uint64_t nextId = 1;       // above every id a good record names
};

// Reads the records up to the first that is torn, fails its check or cannot be read; it and
// everything after it are ignored. A record for a job not in the file is passed over.
RecordFileContents ParseRecordFile(std::string_view text);

}  // namespace varkon
