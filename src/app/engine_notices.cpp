#include "app/engine_notices.h"

namespace varkon {

int EngineNotices::showMessage(const std::string& text, int style, const std::string& title) {
    messageShown_ = true;
    lastMessage_ = text;
    if (record_ != nullptr) {
        record_->noteMessage();
        if (record_->replaying()) return kAnswerOk;  // it was shown when that part went out
    }
    return surface_.messageBox(text, style, title);
}

void EngineNotices::exchangeEnded(const ExchangeResult& result) {
    if (result.refused()) lastRefusal_ = result;
    if (intake_ != nullptr) intake_->exchangeEnded(result);
    OperatorNotices::exchangeEnded(result);
}

void EngineNotices::showStatus(const std::string& text) {
    status_ = text;
    surface_.setStatus(text);
}

void EngineNotices::enableStart(bool enabled) {
    surface_.setEnabled(Control::kStartButton, enabled);
}

void EngineNotices::runDailyZReport() {
    if (reports_ != nullptr) reports_->run(Report::kZDaily);
}

}  // namespace varkon
