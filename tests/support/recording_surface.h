// A Surface that records everything the engine shows, and answers message boxes from a queue
// that a test fills (OK when the queue is empty).
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/base/surface.h"

namespace varkon::test {

struct RecordedBox {
    std::string text;
    int style = 0;
    std::string title;
};

class RecordingSurface : public Surface {
  public:
    void setStatus(const std::string& text) override;
    void setCaption(const std::string& text) override;
    void setText(std::string_view control, const std::string& text) override;
    std::string text(std::string_view control) const override;
    void setEnabled(std::string_view control, bool enabled) override;
    void setDefault(std::string_view control, bool isDefault) override;
    void setFocus(std::string_view control) override;
    void setVisible(std::string_view window, bool visible) override;
    void setProgressMax(double maximum) override;
    void setProgress(double value) override;
    double progress() const override { return progress_; }
    void clearDrawing() override;
    void drawText(const std::string& line) override;
    int messageBox(const std::string& text, int style, const std::string& title) override;
    void repaint() override { ++repaints; }

    bool enabled(std::string_view control) const;  // controls start enabled
    bool visible(std::string_view window) const;   // windows start hidden
    bool isDefault(std::string_view control) const;

    std::string status;
    std::string caption;
    std::vector<std::string> statusHistory;
    std::vector<std::string> captionHistory;
    std::vector<RecordedBox> boxes;
    std::deque<int> answers;  // next answers to message boxes
    std::vector<std::string> drawing;
    std::string focus;
    double progressMax = 100;
    int repaints = 0;

  private:
    std::map<std::string, std::string, std::less<>> texts_;
    std::set<std::string, std::less<>> disabled_;
    std::set<std::string, std::less<>> visible_;
    std::set<std::string, std::less<>> defaults_;
    double progress_ = 0;
};

}  // namespace varkon::test
