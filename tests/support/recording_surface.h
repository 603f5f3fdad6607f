// A Surface that records everything the engine shows, and answers message boxes from a queue
// that a test fills (OK when the queue is empty).
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/surface.h"
#include "support/recording_notices.h"

namespace varkon::test {

class RecordingSurface : public Surface {
  public:
    void setStatus(const std::string& text) override;
    void setCaption(const std::string& text) override;
    void setText(Control control, const std::string& text) override;
    void setEnabled(Control control, bool enabled) override;
    void setDefault(Control control, bool isDefault) override;
    void setFocus(Control control) override;
    void setVisible(Window window, bool visible) override;
    void setProgressMax(double maximum) override;
    void setProgress(double value) override;
    void clearDrawing() override;
    void drawText(const std::string& line) override;
    int messageBox(const std::string& text, int style, const std::string& title) override;
    void repaint() override { ++repaints; }

    std::string text(Control control) const;  // empty until set
    bool enabled(Control control) const;      // controls start enabled
    bool visible(Window window) const;        // windows start hidden
    bool isDefault(Control control) const;

    std::string status;
    std::string caption;
    std::vector<std::string> statusHistory;
    std::vector<std::string> captionHistory;
    std::vector<RecordedBox> boxes;
    std::deque<int> answers;  // next answers to message boxes
    std::vector<std::string> drawing;
    std::string focus;  // the control name of the control with the focus
    double progressMax = 100;
    double progress = 0;
    int repaints = 0;

  private:
    std::map<Control, std::string> texts_;
    std::set<Control> disabled_;
    std::set<Window> visible_;
    std::set<Control> defaults_;
};

}  // namespace varkon::test
