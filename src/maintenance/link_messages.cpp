#include "maintenance/link_messages.h"

#include "greek/cp1253.h"

namespace varkon {

namespace {

const char* const kNoAnswer = "Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή !";
const char* const kNoAnswerTitle = "Μύνημα Φορολ. Εκτυπωτή";
const char* const kErrorCaption = "Σφάλμα !!!";
const char* const kOpenFailed = "Πρόβλημα στην Θύρα :";
const char* const kSetUpFailed = "Πρόβλημα στο Set-Up τής Θύρας :";
const char* const kOpenFailureTitle = "Μύνημα Varkon";
// The number a code that is no number has always been shown with.
constexpr int kCodeNotANumberShown = -3;

}  // namespace

void OperatorNotices::exchangeEnded(const ExchangeResult& result) {
    TellExchangeOutcome(*this, result);
}

std::string ExchangeText(const ExchangeResult& result) {
    if (result.status == ExchangeStatus::kNoAnswer) return kNoAnswer;
    return Cp1253ToUtf8(result.reply);
}

void TellExchangeOutcome(OperatorNotices& notices, const ExchangeResult& result) {
    if (result.quiet) return;
    int shownCode = 0;
    switch (result.status) {
        case ExchangeStatus::kNoAnswer: {
            if (result.inReceipt) return;
            const std::string shown = ExchangeText(result);
            notices.showCaption(kErrorCaption + shown);
            notices.repaint();
            notices.showMessage(shown, kMsgInformation, kNoAnswerTitle);
            return;
        }
        case ExchangeStatus::kRefused:
            shownCode = result.code;
            break;
        case ExchangeStatus::kCodeNotANumber:
            shownCode = kCodeNotANumberShown;
            break;
        case ExchangeStatus::kOtherReply:
            break;
        case ExchangeStatus::kAnswered:
        case ExchangeStatus::kNoAnswerAwaited:
        case ExchangeStatus::kNotSent:
        case ExchangeStatus::kAbandoned:
            return;
    }
    const std::string shown = ExchangeText(result);
    notices.showCaption(kErrorCaption + shown);
    notices.repaint();
    notices.showMessage("Λάθος : " + std::to_string(shownCode) + "\r" + shown, kMsgCritical, "");
}

std::string OpenFailureText(PortOpening outcome, const std::string& portName) {
    switch (outcome) {
        case PortOpening::kOpened:
            break;
        case PortOpening::kNotOpened:
        case PortOpening::kBusy:
            return kOpenFailed + Cp1253ToUtf8(portName);
        case PortOpening::kSetUpFailed:
            return kSetUpFailed + Cp1253ToUtf8(portName);
    }
    return {};
}

void TellOpenOutcome(OperatorNotices& notices, PortOpening outcome, const std::string& portName) {
    const std::string text = OpenFailureText(outcome, portName);
    if (!text.empty()) notices.showMessage(text, kMsgCritical, kOpenFailureTitle);
}

}  // namespace varkon
