// Notices: what the lower layers (the link, the reports, the receipt translation) need from the
// window above them, declared here so that they never reach up to it. The engine implements it
// over its Surface; tests record it. All texts are UTF-8.
#pragma once

#include <string>

namespace varkon {

// Message box styles: buttons plus icon, added together.
inline constexpr int kMsgOk = 0;
inline constexpr int kMsgOkCancel = 1;
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestion = 32;
inline constexpr int kMsgExclamation = 48;
inline constexpr int kMsgInformation = 64;
// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

class Notices {
  public:
    virtual ~Notices() = default;

    // A modal message box for the operator; returns kAnswerOk or kAnswerCancel.
    virtual int showMessage(const std::string& text, int style, const std::string& title = "") = 0;
    // The window's status text and caption.
    virtual void showStatus(const std::string& text) = 0;
    virtual void showCaption(const std::string& text) = 0;
    // Lets the window paint while a long operation blocks (and a service notice a stop request).
    virtual void repaint() = 0;
    // True once the program has been told to stop: a wait for the register is given up at once.
    virtual bool stopRequested() const { return false; }
};

}  // namespace varkon
