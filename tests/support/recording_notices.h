// Notices that record everything the link, the reports and the receipt translation tell the
// window, and answer message boxes from a queue that a test fills (OK when the queue is empty).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"

namespace varkon::test {

struct RecordedBox {
    std::string text;
    int style = 0;
    std::string title;
};

class RecordingNotices : public ReceiptNotices, public ReportNotices {
  public:
    int showMessage(const std::string& text, int style, const std::string& title = "") override {
        boxes.push_back({text, style, title});
        if (answers.empty()) return kAnswerOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showStatus(const std::string& text) override {
        status = text;
        statusHistory.push_back(text);
    }
    void showCaption(const std::string& text) override {
        caption = text;
        captionHistory.push_back(text);
    }
    void repaint() override { ++repaints; }
    void enableStart(bool enabled) override { startEnabled = enabled; }
    void setProgressMax(double maximum) override { progressMax = maximum; }
    void setProgress(double value) override { progress = value; }
    void runDailyZReport() override {
        ++dailyZReports;
        if (onDailyZReport) onDailyZReport();
    }

    std::string status;
    std::string caption;
    std::vector<std::string> statusHistory;
    std::vector<std::string> captionHistory;
    std::vector<RecordedBox> boxes;
    std::deque<int> answers;  // next answers to message boxes
    int repaints = 0;
    bool startEnabled = true;
    double progressMax = 100;
    double progress = 0;
    int dailyZReports = 0;
    std::function<void()> onDailyZReport;
};

}  // namespace varkon::test
