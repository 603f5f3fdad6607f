// ReceiptIntake: receipts handed to the engine by another way than the host's print-file folder
// (varkond's HTTP interface). Each arrives as a print file of its own in a folder the intake owns
// and goes through the job loop like any other: in arrival order with the folder's files, through
// the same job record, so that a kill or a dead line finishes it exactly once. Instead of
// receipt.txt the intake is told how each ended. The intake also asks for reports, which the job
// loop runs between receipts, never inside one. The job loop calls all of it on the engine's
// thread; the intake is owned by the front end and outlives the engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "link/exchange_result.h"
#include "maintenance/reports.h"

namespace varkon {

struct IntakeOutcome {
    enum class Kind {
        kPrinted,  // the receipt went out whole and was closed
        kStopped,  // it waits at `line` and is finished later (a dead line, an unwritable record)
        kRefused,  // the register refused a command of it (`code`, `message`)
        kFailed,   // it could not be printed (`message`)
    };
    Kind kind = Kind::kPrinted;
    std::string receiptNumber;  // the window's counter for a printed receipt
    std::size_t line = 0;       // the print file's line it stopped or was refused at, 1-based
    int code = 0;               // the register's code of a refusal
    std::string message;        // UTF-8: what the operator was told
};

struct ReportOutcome {
    bool done = false;
    int code = 0;         // the register's code when it refused
    std::string message;  // UTF-8: why it was not done
};

class ReceiptIntake {
  public:
    virtual ~ReceiptIntake() = default;

    // The oldest receipt waiting to be printed: its print file (code page 1253 path); empty when
    // none waits.
    virtual std::string nextReceipt() = 0;
    // The print file is one of the intake's.
    virtual bool holds(const std::string& path) const = 0;
    // Its sending begins, or resumes after a stop.
    virtual void printing(const std::string& path) = 0;
    virtual void finished(const std::string& path, const IntakeOutcome& outcome) = 0;

    // A report asked for, if one waits; it is taken, and its outcome told by reportEnded.
    virtual std::optional<Report> takeReport() = 0;
    virtual void reportEnded(Report report, const ReportOutcome& outcome) = 0;

    // Every exchange with the register as it ends: whether the register is answering.
    virtual void exchangeEnded(const ExchangeResult& result) = 0;
    // A job tick has ended; `unfinished` is the print file of a receipt that waits to be
    // finished (empty when none does).
    virtual void tickEnded(const std::string& unfinished) = 0;
};

}  // namespace varkon
