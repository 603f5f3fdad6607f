// ProgressSurface: varkond's window with the HTTP interface beside it. Everything goes on to the
// log's surface unchanged; the progress bar of the receipt being printed is also handed to the
// handed-in receipts, whose GET answers "line n of m" from it.
#pragma once

#include <string>

#include "app/surface.h"
#include "http/handed_in_receipts.h"

namespace varkon {

class ProgressSurface final : public Surface {
  public:
    ProgressSurface(Surface& shown, HandedInReceipts& receipts)
        : shown_(shown), receipts_(receipts) {}

    void setStatus(const std::string& text) override { shown_.setStatus(text); }
    void setCaption(const std::string& text) override { shown_.setCaption(text); }
    void setText(Control control, const std::string& text) override {
        shown_.setText(control, text);
    }
    void setEnabled(Control control, bool enabled) override { shown_.setEnabled(control, enabled); }
    void setDefault(Control control, bool isDefault) override {
        shown_.setDefault(control, isDefault);
    }
    void setFocus(Control control) override { shown_.setFocus(control); }
    void setVisible(Window window, bool visible) override { shown_.setVisible(window, visible); }
    void setProgressMax(double maximum) override {
        lines_ = maximum < 1 ? 0 : static_cast<std::size_t>(maximum);
        receipts_.progress(0, lines_);
        shown_.setProgressMax(maximum);
    }
    void setProgress(double value) override {
        if (value >= 1) receipts_.progress(static_cast<std::size_t>(value), lines_);
        shown_.setProgress(value);
    }
    void clearDrawing() override { shown_.clearDrawing(); }
    void drawText(const std::string& line) override { shown_.drawText(line); }
    int messageBox(const std::string& text, int style, const std::string& title) override {
        return shown_.messageBox(text, style, title);
    }
    void repaint() override { shown_.repaint(); }

  private:
    Surface& shown_;
    HandedInReceipts& receipts_;
    std::size_t lines_ = 0;
};

}  // namespace varkon
