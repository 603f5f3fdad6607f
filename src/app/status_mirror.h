// StatusMirror: the Surface as the engine and everything it drives (the link, the receipt
// printer, the reports) see it. Every call goes through to the window; the status text is also
// remembered, because the engine reads it back to tell whether the register is ready.
#pragma once

#include <string>

#include "app/base/surface.h"

namespace varkon {

class StatusMirror final : public Surface {
  public:
    explicit StatusMirror(Surface& window) : window_(window) {}

    const std::string& status() const { return status_; }

    void setStatus(const std::string& text) override;
    void setCaption(const std::string& text) override { window_.setCaption(text); }
    void setText(std::string_view control, const std::string& text) override {
        window_.setText(control, text);
    }
    std::string text(std::string_view control) const override;
    void setEnabled(std::string_view control, bool enabled) override {
        window_.setEnabled(control, enabled);
    }
    void setDefault(std::string_view control, bool isDefault) override {
        window_.setDefault(control, isDefault);
    }
    void setFocus(std::string_view control) override { window_.setFocus(control); }
    void setVisible(std::string_view window, bool visible) override {
        window_.setVisible(window, visible);
    }
    void setProgressMax(double maximum) override { window_.setProgressMax(maximum); }
    void setProgress(double value) override { window_.setProgress(value); }
    double progress() const override { return window_.progress(); }
    void clearDrawing() override { window_.clearDrawing(); }
    void drawText(const std::string& line) override { window_.drawText(line); }
    int messageBox(const std::string& text, int style, const std::string& title) override {
        return window_.messageBox(text, style, title);
    }
    void repaint() override { window_.repaint(); }

  private:
    Surface& window_;
    std::string status_;
};

}  // namespace varkon
