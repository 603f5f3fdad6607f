// HandedInReceipts: the receipts and reports handed in over HTTP, as both sides see them. The
// HTTP threads put receipts and ask for reports; the engine's thread takes them through the
// ReceiptIntake calls and tells how each ended. Every receipt is two files of its own folder
// (http-receipts/ in the work folder), named by its arrival number and never by the client's
// key: N.prn, its print file, which the job loop prints and deletes, and N.json, its key, hash,
// state and outcome, replaced atomically at every change. A receipt's state survives a restart;
// one that has ended is forgotten after `keep` (7 days). Reports live only in memory: a report
// asked for before a restart is never run after it. One mutex guards everything; waiting
// requests sleep on a condition variable, woken by every change.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "app/receipt_intake.h"
#include "platform/wake_signal.h"

namespace varkon {

enum class HandedInState { kQueued, kPrinting, kDone, kStopped, kRefused, kFailed };
const char* HandedInStateName(HandedInState state);

struct HandedInReceipt {
    std::uint64_t number = 0;  // arrival order
    std::string key;           // the client's own
    std::string hash;          // of the body as it came, to tell a repeat from another receipt
    HandedInState state = HandedInState::kQueued;
    std::size_t line = 0;   // printing: lines sent; stopped, refused: the line concerned
    std::size_t lines = 0;  // the lines of its print file, once printing has begun
    std::string receiptNumber;
    int code = 0;
    std::string message;       // UTF-8
    std::int64_t arrived = 0;  // seconds since 1970
    std::int64_t ended = 0;    // when it reached done, refused or failed
};

enum class ReportState { kQueued, kRunning, kDone, kRefused };

struct AskedReport {
    std::uint64_t number = 0;
    Report report = Report::kXFinancial;
    ReportState state = ReportState::kQueued;
    int code = 0;
    std::string message;
};

struct EngineStatus {
    std::optional<bool> registerAnswering;  // unknown until the first exchange
    std::optional<HandedInReceipt> printing;
    std::string unfinished;  // the key, or the print file (UTF-8), of a receipt that waits
    std::size_t queued = 0;
};

class HandedInReceipts final : public ReceiptIntake {
  public:
    explicit HandedInReceipts(std::filesystem::path folder,
                              std::chrono::seconds keep = std::chrono::hours(24 * 7));

    // Makes the folder and reads what an earlier run kept; false when the folder cannot be made.
    bool open();
    std::intptr_t waitHandle() const { return wake_.waitHandle(); }
    // The program is ending: every waiting request is answered now.
    void shutDown();
    void takeWake() { wake_.take(); }

    enum class PutResult { kQueued, kRepeated, kConflict, kFull, kNotKept };
    // A receipt whose body has passed CheckReceiptBody. kRepeated: the same key with the same
    // body came before (nothing new is printed); kConflict: the key came with another body;
    // kFull: too many wait; kNotKept: its files could not be written.
    PutResult put(const std::string& key, const std::string& body, HandedInReceipt& now);
    std::optional<HandedInReceipt> find(const std::string& key);
    // Waits until the receipt has ended (done, refused, failed or stopped) or `until`.
    std::optional<HandedInReceipt> waitForEnd(const std::string& key,
                                              std::chrono::steady_clock::time_point until);

    // nullopt when too many reports wait already.
    std::optional<AskedReport> askReport(Report report);
    std::optional<AskedReport> findReport(std::uint64_t number);
    std::optional<AskedReport> waitForReport(std::uint64_t number,
                                             std::chrono::steady_clock::time_point until);

    EngineStatus status();
    // The progress bar of the receipt being printed: `line` of `lines`.
    void progress(std::size_t line, std::size_t lines);

    // ReceiptIntake, on the engine's thread.
    std::string nextReceipt() override;
    bool holds(const std::string& path) const override;
    void printing(const std::string& path) override;
    void finished(const std::string& path, const IntakeOutcome& outcome) override;
    std::optional<Report> takeReport() override;
    void reportEnded(Report report, const ReportOutcome& outcome) override;
    void exchangeEnded(const ExchangeResult& result) override;
    void tickEnded(const std::string& unfinished) override;

  private:
    std::filesystem::path printFile(std::uint64_t number) const;
    std::filesystem::path stateFile(std::uint64_t number) const;
    std::string enginePath(std::uint64_t number) const;  // code page 1253, as the job loop has it
    std::optional<std::uint64_t> numberOf(const std::string& path) const;
    bool save(const HandedInReceipt& receipt);
    void forgetOld(std::int64_t now);
    void changed();

    std::filesystem::path folder_;
    std::chrono::seconds keep_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    WakeSignal wake_;
    std::map<std::uint64_t, HandedInReceipt> receipts_;
    std::map<std::string, std::uint64_t> byKey_;
    std::uint64_t nextNumber_ = 1;
    std::optional<std::uint64_t> printing_;
    std::deque<AskedReport> reports_;
    std::uint64_t nextReport_ = 1;
    EngineStatus engine_;
    bool shuttingDown_ = false;
};

}  // namespace varkon
