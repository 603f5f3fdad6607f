// LogSurface: varkond's window. Every status, caption, drawn line, option value and message box
// becomes one time-stamped UTF-8 line on the log stream (standard error); message boxes are
// answered OK, since nobody is there to answer them. varkond's main owns it and the engine
// draws on it.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "app/surface.h"

namespace varkon {

// Control bytes and backslashes as escapes (\r, \n, \x04, \\), everything else unchanged.
std::string EscapeForLog(std::string_view text, bool escapeHighBytes);

class LogSurface final : public Surface {
  public:
    explicit LogSurface(std::ostream& out) : out_(out) {}

    // Asked at every repaint and message box while the engine is busy: true once the service
    // has been told to stop. Then questions are answered Cancel, so that no retry goes on, and
    // onStop runs (the engine's requestClose).
    std::function<bool()> stopRequested;
    std::function<void()> onStop;

    // One line: time stamp, kind, text (UTF-8, control characters escaped). Wire bytes are not
    // UTF-8: with `wire` every byte above 0x7f is escaped too.
    void log(std::string_view kind, std::string_view text, bool wire = false);

    void setStatus(const std::string& text) override;
    void setCaption(const std::string& text) override;
    void setText(Control control, const std::string& text) override;
    void setEnabled(Control, bool) override {}
    void setDefault(Control, bool) override {}
    void setFocus(Control) override {}
    void setVisible(Window window, bool visible) override;
    void setProgressMax(double) override {}
    void setProgress(double) override {}
    void clearDrawing() override {}
    void drawText(const std::string& line) override { log("draw", line); }
    int messageBox(const std::string& text, int style, const std::string& title) override;
    void repaint() override;

  private:
    bool stopping();

    std::ostream& out_;
    std::map<Control, std::string> texts_;  // what each control shows, to log changes only
    std::string status_;
    std::string caption_;
};

}  // namespace varkon
