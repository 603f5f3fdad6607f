// The one message box of the program. Every box goes through ShowMessage, which also raises
// MessageShown: the job loop lowers it before a job and reads it after, to tell the host
// application whether the receipt went through cleanly.
#pragma once

#include <string>

#include "app/base/surface.h"

namespace varkon {

class Messages {
  public:
    explicit Messages(Surface& surface) : surface_(surface) {}

    // Shows a modal box (UTF-8 texts) and returns the answer (kAnswerOk or kAnswerCancel).
    int ShowMessage(const std::string& text, int style, const std::string& title = "");

    Surface& surface() { return surface_; }

    bool MessageShown = false;

  private:
    Surface& surface_;
};

}  // namespace varkon
