// EngineNotices: the engine's side of the notices that the link, the reports and the receipt
// translation send up. It shows them through the Surface and keeps what the engine must know
// of them: the status now shown, and whether any message box came up since the job loop last
// asked (MessageShown), which tells the host application whether a receipt went through cleanly.
#pragma once

#include <optional>
#include <string>

#include "app/job_record.h"
#include "app/receipt_intake.h"
#include "app/surface.h"
#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"

namespace varkon {

class EngineNotices final : public ReceiptNotices, public ReportNotices {
  public:
    explicit EngineNotices(Surface& surface) : surface_(surface) {}

    // The reports that a print file's report record runs; set once the engine has built them.
    void attachReports(Reports& reports) { reports_ = &reports; }
    // The record of the receipts being sent: a message during one is recorded with it, and the
    // messages of a resumed receipt's part that went out before are not shown again.
    void attachJobRecord(JobRecord& record) { record_ = &record; }
    // The intake that hears of every exchange, when the front end has one.
    void attachIntake(ReceiptIntake* intake) { intake_ = intake; }
    // The flag that says the program is being stopped.
    void watchStop(const bool& closeRequested) { closeRequested_ = &closeRequested; }

    int showMessage(const std::string& text, int style, const std::string& title = "") override;
    void exchangeEnded(const ExchangeResult& result) override;
    void showStatus(const std::string& text) override;
    void showCaption(const std::string& text) override { surface_.setCaption(text); }
    void repaint() override { surface_.repaint(); }
    void enableStart(bool enabled) override;
    void setProgressMax(double maximum) override { surface_.setProgressMax(maximum); }
    void setProgress(double value) override { surface_.setProgress(value); }
    void runDailyZReport() override;
    bool stopRequested() const override { return closeRequested_ != nullptr && *closeRequested_; }

    const std::string& status() const { return status_; }

    // Raised by every message box; the job loop lowers it before a job and reads it after.
    bool messageShown() const { return messageShown_; }
    void clearMessageShown() {
        messageShown_ = false;
        lastMessage_.clear();
        lastRefusal_.reset();
    }
    // The last message box's text since then (UTF-8), and the register's last refusal.
    const std::string& lastMessage() const { return lastMessage_; }
    const std::optional<ExchangeResult>& lastRefusal() const { return lastRefusal_; }

  private:
    Surface& surface_;
    Reports* reports_ = nullptr;
    JobRecord* record_ = nullptr;
    const bool* closeRequested_ = nullptr;
    std::string status_;
    bool messageShown_ = false;
    ReceiptIntake* intake_ = nullptr;
    std::string lastMessage_;
    std::optional<ExchangeResult> lastRefusal_;
};

}  // namespace varkon
