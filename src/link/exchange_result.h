// ExchangeResult: the outcome of sending one command to the register, as the link hands it back
// (and up through LinkHooks::exchangeEnded). The link only reports; which message the operator
// reads for an outcome is decided above it.
#pragma once

#include <cstdint>
#include <string>

namespace varkon {

enum class ExchangeStatus {
    kAnswered,         // the register took the command (0x04 alone, or its code 00)
    kOtherReply,       // an answer that is neither that nor a refusal; taken as answered
    kRefused,          // "DE" and a code, in `code` ("DE2" → 2, "DE0" → 0)
    kCodeNotANumber,   // "DE" and something that is no code: empty, not digits, too large
    kNoAnswer,         // every send's reply window passed without an answer
    kNoAnswerAwaited,  // the power-off command: it goes out once and nothing is read
    // While a receipt is being sent: the sending stopped at an earlier command, this one did not
    // go out.
    kNotSent,
    // The program is stopping: the command went out (or not) and its answer was not waited for.
    kAbandoned,
};

struct ExchangeResult {
    ExchangeStatus status = ExchangeStatus::kAnswered;
    std::int16_t code = 0;  // the register's code of a kRefused; 0 otherwise
    // Code page 1253: the reply without its 0x04 and carriage returns, or the operator message of
    // a refusal's code where the register's code table has one; empty when nothing was received.
    std::string reply;
    bool quiet = false;      // the exchange was asked to tell the operator nothing
    bool inReceipt = false;  // a receipt's journal was attached: a dead line is told by its loop

    // "DE" and a code other than "00", told or quiet.
    bool refused() const {
        return status == ExchangeStatus::kRefused || status == ExchangeStatus::kCodeNotANumber;
    }
    // What the callers go on from as success. A quiet exchange's refusal counts as done, as it
    // always has: the caller that asked for quiet judges refused() itself. A told refusal counts
    // as done only with code 0.
    bool ok() const {
        switch (status) {
            case ExchangeStatus::kAnswered:
            case ExchangeStatus::kOtherReply:
            case ExchangeStatus::kNoAnswerAwaited:
                return true;
            case ExchangeStatus::kRefused:
                return quiet || code == 0;
            case ExchangeStatus::kCodeNotANumber:
                return quiet;
            case ExchangeStatus::kNoAnswer:
            case ExchangeStatus::kNotSent:
            case ExchangeStatus::kAbandoned:
                break;
        }
        return false;
    }
};

}  // namespace varkon
