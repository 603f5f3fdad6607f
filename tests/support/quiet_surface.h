// A Surface that shows nothing and answers every message box with OK, counting the boxes. For the
// benchmarks and fuzz targets, which need a window but no record of it (and no GoogleTest).
#pragma once

#include <string>
#include <string_view>

#include "app/base/surface.h"

namespace varkon::test {

class QuietSurface final : public Surface {
  public:
    void setStatus(const std::string&) override {}
    void setCaption(const std::string&) override {}
    void setText(std::string_view, const std::string&) override {}
    std::string text(std::string_view) const override { return {}; }
    void setEnabled(std::string_view, bool) override {}
    void setDefault(std::string_view, bool) override {}
    void setFocus(std::string_view) override {}
    void setVisible(std::string_view, bool) override {}
    void setProgressMax(double) override {}
    void setProgress(double value) override { progress_ = value; }
    double progress() const override { return progress_; }
    void clearDrawing() override {}
    void drawText(const std::string&) override {}
    int messageBox(const std::string&, int, const std::string&) override {
        ++boxes;
        return kAnswerOk;
    }
    void repaint() override {}

    int boxes = 0;

  private:
    double progress_ = 0;
};

}  // namespace varkon::test
