#include "link/fiscal_tec_module.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "greek/cp1253.h"
#include "link/reply_decoder.h"
#include "platform/files.h"

namespace varkon {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxWrite = 255;  // the port buffer's size for one write or read
constexpr std::size_t kMaxRead = 255;
// A register that streams without ever ending its reply must not grow memory without bound;
// the end markers are still looked for in everything that arrives.
constexpr std::size_t kMaxKeptReply = 64 * 1024;
constexpr auto kLongestPause = std::chrono::milliseconds(60'000);
// A pause after a command looks this often whether the program is being stopped.
constexpr auto kPauseSlice = std::chrono::milliseconds(100);
// After a command that went out more than once, the line must be quiet this long (or one reply
// window, when that is shorter) before the next command: the register answers each send it
// heard, one after another.
constexpr auto kQuietAfterResend = std::chrono::milliseconds(500);

const std::string kNoReplyCommand = "KX794ST\r";
constexpr const char* kPacingFile = "delay.inf";

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

FiscalTecModule::FiscalTecModule(Notices& notices, std::unique_ptr<SerialPort> port,
                                 LinkTimings timings, std::filesystem::path programDir,
                                 std::filesystem::path settingsDir)
    : notices_(notices),
      port_(std::move(port)),
      timings_(timings),
      programDir_(std::move(programDir)),
      settingsDir_(std::move(settingsDir)) {
    if (!port_) port_ = MakeSerialPort(timings_);
}

void FiscalTecModule::OpenPort(const std::string& portName, const std::string& baud,
                               std::string& message, bool quiet) {
    static const std::string kOpenFailed = Utf8ToCp1253("Πρόβλημα στην Θύρα :");
    static const std::string kSetUpFailed = Utf8ToCp1253("Πρόβλημα στο Set-Up τής Θύρας :");
    auto show = [&] { notices_.showMessage(Cp1253ToUtf8(message), kMsgCritical, "Μύνημα Varkon"); };

    EcrError = kEcrOk;
    message.clear();
    int result = port_->open(portName, baud + ",n,8,1");
    portHandle_ = result == -1 ? -1 : 1;
    if (result == -1) {
        EcrError = kEcrPortNotOpened;
        message = kOpenFailed + portName;
        if (!quiet) {
            show();
            return;
        }
        // Quietly the set-up steps still run against the failed handle and fail in their turn,
        // so the set-up failure is the one reported.
        result = -2;
    }
    if (result == -2) {
        EcrError = kEcrSetUpFailed;
        message = kSetUpFailed + portName;
        if (!quiet) show();
    }
}

void FiscalTecModule::ClosePort() {
    if (portHandle_ == 0) return;
    port_->close();
    portHandle_ = 0;
}

void FiscalTecModule::attachJournal(CommandJournal* journal) {
    journal_ = journal;
    sendingStopped_ = false;
}

void FiscalTecModule::SendReport(const std::string& command, std::string& reply) {
    send(command, reply, false, timings_.reportReplyWindow, 1);
}

void FiscalTecModule::SendCommand(const std::string& command, std::string& reply, bool quiet) {
    send(command, reply, quiet, timings_.replyWindow, timings_.attempts);
}

void FiscalTecModule::send(const std::string& command, std::string& reply, bool quiet,
                           std::chrono::milliseconds window, int attempts) {
    lastRefused_ = false;
    if (journal_ != nullptr) {
        if (sendingStopped_) {
            EcrError = kEcrNotSent;
            return;
        }
        if (journal_->answeredBefore()) {
            EcrError = kEcrOk;
            reply.clear();
            return;
        }
    }
    // A receipt sends nothing more once the program is told to stop; it goes on at the next start.
    if (journal_ != nullptr && notices_.stopRequested()) {
        EcrError = kEcrAbandoned;
    } else {
        exchange(command + "\r", reply, quiet, window, attempts);
    }
    if (journal_ != nullptr) {
        if (EcrError == kEcrNoAnswer || EcrError == kEcrAbandoned) {
            sendingStopped_ = true;
            return;
        }
        if (!journal_->answered()) {
            sendingStopped_ = true;
            return;
        }
    }
    // The pause is cut short by a stop: nothing more will be sent.
    const auto pauseEnd = Clock::now() + PacingDelay();
    while (Clock::now() < pauseEnd && !notices_.stopRequested()) {
        std::this_thread::sleep_until(std::min(pauseEnd, Clock::now() + kPauseSlice));
    }
}

std::chrono::milliseconds FiscalTecModule::PacingDelay() const {
    // An installed program's folder is often not the shop's to write: the file beside
    // param.ini, where there is one, is the one that counts.
    std::string file =
        settingsDir_.empty() ? std::string() : FromFsPath(settingsDir_ / kPacingFile);
    if (file.empty() || !FileExists(file)) file = FromFsPath(programDir_ / kPacingFile);
    const std::string content = ReadWholeFile(file);
    const std::size_t begin = content.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    std::string_view number(content);
    number = number.substr(begin, content.find_last_not_of(" \t\r\n") - begin + 1);
    if (number.front() == '+') number.remove_prefix(1);
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    std::chrono::milliseconds pause{0};
    for (char c : number) pause = pause * 10 + std::chrono::milliseconds(c - '0');
    return pause <= kLongestPause ? pause : std::chrono::milliseconds{0};
}

void FiscalTecModule::ExchangeCommand(const std::string& framed, std::string& reply, bool quiet) {
    exchange(framed, reply, quiet, timings_.replyWindow, timings_.attempts);
}

void FiscalTecModule::exchange(const std::string& framed, std::string& reply, bool quiet,
                               std::chrono::milliseconds window, int attempts) {
    static const std::string kNoAnswer = Utf8ToCp1253("Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή !");

    EcrError = kEcrOk;
    lastRefused_ = false;
    // Only before the first send: a send again must still take the late answer to an earlier one.
    settleLine();
    ReceivedText received;  // kept across attempts: a late answer to an earlier send counts
    attempts = std::max(1, attempts);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        WritePort(framed);
        if (framed == kNoReplyCommand) return;
        answersOwed_ = attempt > 0;

        const auto deadline = Clock::now() + window;
        while (true) {
            received.add(ReadPort());
            // Judged right after every read, so an answer that comes with the last read of a
            // window is taken and the command is not sent a second time.
            if (received.complete()) {
                // A refusal is "DE", its code, CR and 0x04, and the code may come in a later read
                // than "DE". Judged on "DE" alone the code would be lost and the rest taken for
                // the next command's answer, so the answer is read on until its 0x04 arrives, a
                // read brings nothing, or the reply window ends.
                while (!received.ended() && Clock::now() < deadline) {
                    std::string more = ReadPort();
                    if (more.empty()) break;
                    received.add(more);
                }
                EcrError = kEcrOk;  // an earlier attempt's time-out is over
                reply = received.cleaned();
                lastRefused_ = IsRefusal(reply);
                if (!reply.empty()) DecodeReply(*this, reply, quiet);
                return;
            }
            if (Clock::now() >= deadline) break;
            notices_.repaint();
            if (notices_.stopRequested()) {
                // The answer may still come; the command is in doubt and the caller knows it.
                answersOwed_ = true;
                EcrError = kEcrAbandoned;
                reply.clear();
                return;
            }
        }
        EcrError = kEcrNoAnswer;
        reply = kNoAnswer;
    }
    answersOwed_ = true;  // a register slower than every window answers yet

    // A receipt's dead line is told once by the job loop, with the receipt and its line.
    if (quiet || journal_ != nullptr) return;
    const std::string shown = Cp1253ToUtf8(reply);
    notices_.showCaption("Σφάλμα !!!" + shown);
    notices_.repaint();
    notices_.showMessage(shown, kMsgInformation, "Μύνημα Φορολ. Εκτυπωτή");
}

// Whatever waits unread before a command's first send is no answer to it: the late answer to a
// command already settled, or one meant for a program killed while the register was busy. It is
// thrown away, or the answers would be taken one command off from here on: a refusal told for
// the wrong line, a sale recorded as taken that the register never heard. After a command that
// went out more than once the register may not have answered all its sends yet; the line is read
// and its bytes dropped until it has been quiet for a while.
void FiscalTecModule::settleLine() {
    (void)port_->discardInput();
    if (!std::exchange(answersOwed_, false)) return;
    const auto quiet = std::min<Clock::duration>(kQuietAfterResend, timings_.replyWindow);
    const auto start = Clock::now();
    // A register that never stops talking holds the next command up only so long.
    const auto latest = start + quiet + timings_.replyWindow;
    auto quietUntil = start + quiet;
    while (Clock::now() < std::min(quietUntil, latest) && !notices_.stopRequested()) {
        if (!ReadPort().empty()) quietUntil = Clock::now() + quiet;
        notices_.repaint();
    }
}

void FiscalTecModule::WritePort(const std::string& text) {
    // A failed write is not reported: the exchange then times out as with a silent register.
    for (std::size_t offset = 0; offset < text.size(); offset += kMaxWrite) {
        (void)port_->write(std::string_view(text).substr(offset, kMaxWrite));
    }
}

std::string FiscalTecModule::ReadPort() {
    return port_->read(kMaxRead);
}

}  // namespace varkon
