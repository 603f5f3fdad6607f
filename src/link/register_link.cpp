#include "link/register_link.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "link/reply_decoder.h"

namespace varkon {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxWrite = 255;  // the port buffer's size for one write or read
constexpr std::size_t kMaxRead = 255;
// A register that streams without ever ending its reply must not grow memory without bound;
// the end markers are still looked for in everything that arrives.
constexpr std::size_t kMaxKeptReply = 64 * 1024;
// A pause after a command looks this often whether the program is being stopped.
constexpr auto kPauseSlice = std::chrono::milliseconds(100);
// After a command that went out more than once, the line must be quiet this long (or one reply
// window, when that is shorter) before the next command: the register answers each send it
// heard, one after another.
constexpr auto kQuietAfterResend = std::chrono::milliseconds(500);

const std::string kNoReplyCommand = "KX794ST\r";

// What one exchange has received, with the two end-of-reply markers tracked byte by byte so that
// neither the size limit nor a "D" and "E" arriving in different reads can hide them.
class ReceivedText {
  public:
    void add(std::string_view chunk) {
        for (char c : chunk) {
            if (c == '\x04') endByte_ = true;
            if (last_ == 'D' && c == 'E') errorMark_ = true;
            last_ = c;
        }
        text_.append(chunk.substr(0, kMaxKeptReply - std::min(kMaxKeptReply, text_.size())));
    }

    bool complete() const { return endByte_ || errorMark_; }
    bool ended() const { return endByte_; }

    // The reply without its 0x04 and carriage-return bytes.
    std::string cleaned() const {
        std::string reply;
        reply.reserve(text_.size());
        for (char c : text_) {
            if (c != '\x04' && c != '\r') reply += c;
        }
        return reply;
    }

  private:
    std::string text_;
    bool endByte_ = false;
    bool errorMark_ = false;
    char last_ = 0;
};

}  // namespace

RegisterLink::RegisterLink(LinkHooks& hooks, std::unique_ptr<SerialPort> port, LinkTimings timings,
                           PacingDelay pacingDelay)
    : hooks_(hooks),
      port_(std::move(port)),
      timings_(timings),
      pacingDelay_(std::move(pacingDelay)) {
    if (!port_) port_ = MakeSerialPort(timings_);
}

PortOpening RegisterLink::open(const std::string& portName,
                               const std::optional<LineFormat>& format) {
    const PortOpening outcome = port_->open(portName, format);
    const bool opened = outcome == PortOpening::kOpened || outcome == PortOpening::kSetUpFailed;
    portState_ = opened ? PortState::kOpen : PortState::kFailed;
    return outcome;
}

void RegisterLink::close() {
    if (portState_ == PortState::kClosed) return;
    port_->close();
    portState_ = PortState::kClosed;
}

void RegisterLink::attachJournal(CommandJournal* journal) {
    journal_ = journal;
    sendingStopped_ = false;
}

ExchangeResult RegisterLink::sendReport(const std::string& command) {
    return send(command, false, timings_.reportReplyWindow, 1);
}

ExchangeResult RegisterLink::send(const std::string& command, bool quiet) {
    return send(command, quiet, timings_.replyWindow, timings_.attempts);
}

ExchangeResult RegisterLink::send(const std::string& command, bool quiet,
                                  std::chrono::milliseconds window, int attempts) {
    ExchangeResult result;
    result.quiet = quiet;
    result.inReceipt = journal_ != nullptr;
    if (journal_ != nullptr) {
        if (sendingStopped_) {
            result.status = ExchangeStatus::kNotSent;
            return result;
        }
        if (journal_->answeredBefore()) return result;
    }
    // A receipt sends nothing more once the program is told to stop; it goes on at the next start.
    if (journal_ != nullptr && hooks_.stopRequested()) {
        result.status = ExchangeStatus::kAbandoned;
    } else {
        result = exchange(command + "\r", quiet, window, attempts);
    }
    if (journal_ != nullptr) {
        if (result.status == ExchangeStatus::kNoAnswer ||
            result.status == ExchangeStatus::kAbandoned) {
            sendingStopped_ = true;
            return result;
        }
        if (!journal_->answered()) {
            sendingStopped_ = true;
            return result;
        }
    }
    // The pause is cut short by a stop: nothing more will be sent.
    const auto pause = pacingDelay_ ? pacingDelay_() : std::chrono::milliseconds{0};
    const auto pauseEnd = Clock::now() + pause;
    while (Clock::now() < pauseEnd && !hooks_.stopRequested()) {
        std::this_thread::sleep_until(std::min(pauseEnd, Clock::now() + kPauseSlice));
    }
    return result;
}

ExchangeResult RegisterLink::exchange(const std::string& framed, bool quiet) {
    return exchange(framed, quiet, timings_.replyWindow, timings_.attempts);
}

ExchangeResult RegisterLink::exchange(const std::string& framed, bool quiet,
                                      std::chrono::milliseconds window, int attempts) {
    ExchangeResult result = awaitAnswer(framed, window, attempts);
    result.quiet = quiet;
    result.inReceipt = journal_ != nullptr;
    // Before the journal records the answer and before the pause: a message about it comes up
    // while the command is still the one out.
    hooks_.exchangeEnded(result);
    return result;
}

ExchangeResult RegisterLink::awaitAnswer(const std::string& framed,
                                         std::chrono::milliseconds window, int attempts) {
    ExchangeResult result;
    // Only before the first send: a send again must still take the late answer to an earlier one.
    settleLine();
    ReceivedText received;  // kept across attempts: a late answer to an earlier send counts
    attempts = std::max(1, attempts);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        writePort(framed);
        if (framed == kNoReplyCommand) {
            result.status = ExchangeStatus::kNoAnswerAwaited;
            return result;
        }
        answersOwed_ = attempt > 0;

        const auto deadline = Clock::now() + window;
        while (true) {
            received.add(readPort());
            // Judged right after every read, so an answer that comes with the last read of a
            // window is taken and the command is not sent a second time.
            if (received.complete()) {
                // A refusal is "DE", its code, CR and 0x04, and the code may come in a later read
                // than "DE". Judged on "DE" alone the code would be lost and the rest taken for
                // the next command's answer, so the answer is read on until its 0x04 arrives, a
                // read brings nothing, or the reply window ends.
                while (!received.ended() && Clock::now() < deadline) {
                    std::string more = readPort();
                    if (more.empty()) break;
                    received.add(more);
                }
                result.reply = received.cleaned();  // an earlier attempt's time-out is over
                DecodeReply(result);
                return result;
            }
            if (Clock::now() >= deadline) break;
            hooks_.repaint();
            if (hooks_.stopRequested()) {
                // The answer may still come; the command is in doubt and the caller knows it.
                answersOwed_ = true;
                result.status = ExchangeStatus::kAbandoned;
                return result;
            }
        }
    }
    answersOwed_ = true;  // a register slower than every window answers yet
    result.status = ExchangeStatus::kNoAnswer;
    return result;
}

// Whatever waits unread before a command's first send is no answer to it: the late answer to a
// command already settled, or one meant for a program killed while the register was busy. It is
// thrown away, or the answers would be taken one command off from here on: a refusal told for
// the wrong line, a sale recorded as taken that the register never heard. After a command that
// went out more than once the register may not have answered all its sends yet; the line is read
// and its bytes dropped until it has been quiet for a while.
void RegisterLink::settleLine() {
    (void)port_->discardInput();
    if (!std::exchange(answersOwed_, false)) return;
    const auto quiet = std::min<Clock::duration>(kQuietAfterResend, timings_.replyWindow);
    const auto start = Clock::now();
    // A register that never stops talking holds the next command up only so long.
    const auto latest = start + quiet + timings_.replyWindow;
    auto quietUntil = start + quiet;
    while (Clock::now() < std::min(quietUntil, latest) && !hooks_.stopRequested()) {
        if (!readPort().empty()) quietUntil = Clock::now() + quiet;
        hooks_.repaint();
    }
}

void RegisterLink::writePort(const std::string& text) {
    // A failed write is not reported: the exchange then times out as with a silent register.
    for (std::size_t offset = 0; offset < text.size(); offset += kMaxWrite) {
        (void)port_->write(std::string_view(text).substr(offset, kMaxWrite));
    }
}

std::string RegisterLink::readPort() {
    return port_->read(kMaxRead);
}

}  // namespace varkon
