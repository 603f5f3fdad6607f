// EngineNotices: the engine's side of the notices that the link, the reports and the receipt
// translation send up. It shows them through the Surface and keeps what the engine must know
// of them: the status now shown, and whether any message box came up since the job loop last
// asked (MessageShown), which tells the host application whether a receipt went through cleanly.
#pragma once

#include <string>

#include "app/surface.h"
#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"

namespace varkon {

class EngineNotices final : public ReceiptNotices, public ReportNotices {
  public:
    explicit EngineNotices(Surface& surface) : surface_(surface) {}

    // The reports that a print file's report record runs; set once the engine has built them.
    void attachReports(Reports& reports) { reports_ = &reports; }

    int showMessage(const std::string& text, int style, const std::string& title = "") override;
    void showStatus(const std::string& text) override;
    void showCaption(const std::string& text) override { surface_.setCaption(text); }
    void repaint() override { surface_.repaint(); }
    void enableStart(bool enabled) override;
    void setProgressMax(double maximum) override { surface_.setProgressMax(maximum); }
    void setProgress(double value) override { surface_.setProgress(value); }
    void runDailyZReport() override;

    const std::string& status() const { return status_; }

    // Raised by every message box; the job loop lowers it before a job and reads it after.
    bool messageShown() const { return messageShown_; }
    void clearMessageShown() { messageShown_ = false; }

  private:
    Surface& surface_;
    Reports* reports_ = nullptr;
    std::string status_;
    bool messageShown_ = false;
};

}  // namespace varkon
