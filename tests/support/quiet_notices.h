// Notices that show nothing and answer every message box with OK, counting the boxes; a daily Z
// report is counted too, and run through `reports` when it is set, as the engine's notices do.
// For the benchmarks and fuzz targets, which need the notices of the lower layers but no record
// of them (and no GoogleTest).
#pragma once

#include <string>

#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"

namespace varkon::test {

class QuietNotices final : public ReceiptNotices, public ReportNotices {
  public:
    int showMessage(const std::string&, int, const std::string& = "") override {
        ++boxes;
        return kAnswerOk;
    }
    void showStatus(const std::string&) override {}
    void showCaption(const std::string&) override {}
    void repaint() override {}
    void enableStart(bool) override {}
    void setProgressMax(double) override {}
    void setProgress(double) override {}
    void runDailyZReport() override {
        ++dailyZReports;
        if (reports != nullptr) reports->run(Report::kZDaily);
    }

    int boxes = 0;
    int dailyZReports = 0;
    Reports* reports = nullptr;
};

}  // namespace varkon::test
