// OperatorNotices: what the layers above the link (the reports, the receipt translation, the
// engine's runs) need from the window, declared here so that they never reach up to it. It
// carries the link's hooks too, and tells every exchange's outcome as link_messages says. The
// engine implements it over its Surface; tests record it. All texts are UTF-8.
#pragma once

#include <string>

#include "link/link_hooks.h"

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

class OperatorNotices : public LinkHooks {
  public:
    // A modal message box for the operator; returns kAnswerOk or kAnswerCancel.
    virtual int showMessage(const std::string& text, int style, const std::string& title = "") = 0;
    // The window's status text and caption.
    virtual void showStatus(const std::string& text) = 0;
    virtual void showCaption(const std::string& text) = 0;

    // The message an exchange's outcome calls for, at the moment the link hands it up.
    void exchangeEnded(const ExchangeResult& result) override;
};

}  // namespace varkon
