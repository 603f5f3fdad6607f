#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace varkon::sim {

namespace {

int OpenOutput(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

timespec Until(std::chrono::steady_clock::duration left) {
    if (left < left.zero()) left = left.zero();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)),
      port_(options_.linkPath),
      planner_(options_),
      commandLine_(options_.baud),
      answerLine_(options_.baud),
      line_(options_.deadAfter == 0 ? LineState::kDeaf : LineState::kLive) {}

Simulator::~Simulator() {
    if (signals_ >= 0) ::close(signals_);
    if (transcript_ >= 0) ::close(transcript_);
    if (paperFd_ > 2) ::close(paperFd_);
}

bool Simulator::openFiles(std::string& error) {
    if (!options_.transcriptPath.empty()) {
        transcript_ = OpenOutput(options_.transcriptPath);
        if (transcript_ < 0) {
            error = options_.transcriptPath + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!options_.paperPath.empty()) {
        paperFd_ = OpenOutput(options_.paperPath);
        if (paperFd_ < 0) {
            error = options_.paperPath + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

// A new pseudo-terminal; its device goes to standard output as a line of its own.
bool Simulator::plugIn(std::string& error) {
    if (!port_.open(error)) return false;
    WriteAll(STDOUT_FILENO, port_.slavePath() + "\n");
    return true;
}

int Simulator::run() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    ::signal(SIGPIPE, SIG_IGN);  // a reader of our output that goes away is not our end
    signals_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);

    std::string error;
    if (signals_ < 0) error = std::string("signalfd: ") + std::strerror(errno);
    if (!error.empty() || !openFiles(error) || !plugIn(error)) {
        WriteAll(STDERR_FILENO, "varkon-sim: " + error + "\n");
        return 1;
    }

    for (;;) {
        // Late answers held for a client to come are lost with the line.
        if (hangupPending_ && (outgoing_.empty() || !port_.hasClient()) &&
            lastAnswerTaken(Clock::now())) {
            hangupPending_ = false;
            hangupAfterRead_.reset();
            dropAnswers(true);
            port_.hangUp();
            if (!plugIn(error)) {
                WriteAll(STDERR_FILENO, "varkon-sim: " + error + "\n");
                return 1;
            }
            writePaper(paper_.hungUp(port_.slavePath()));
        }
        updateLine(Clock::now());

        timespec timeout{};
        timespec* wait = nullptr;  // nothing due: sleep until something happens
        if (const auto wake = nextWake()) {
            timeout = Until(*wake - Clock::now());
            wait = &timeout;
        }
        pollfd fds[3] = {
            {signals_, POLLIN, 0},
            {port_.openings(), POLLIN, 0},
            {port_.master(), static_cast<short>(POLLIN | (writeBlocked_ ? POLLOUT : 0)), 0},
        };
        const int ready = ::ppoll(fds, 3, wait, nullptr);
        if (ready < 0 && errno != EINTR) {
            WriteAll(STDERR_FILENO,
                     std::string("varkon-sim: poll: ") + std::strerror(errno) + "\n");
            return 1;
        }
        if (ready > 0 && (fds[0].revents & POLLIN)) return 0;
        // Opens and closes first: a client's open precedes the bytes it wrote.
        if (ready > 0 && (fds[1].revents & POLLIN) && port_.readOpenings()) dropAnswers(false);
        if (ready > 0 && (fds[2].revents & POLLOUT)) writeBlocked_ = false;
        if (ready > 0 && (fds[2].revents & POLLIN)) receive();
        // Cannot happen while we hold the slave; should it, a fresh line beats a spinning loop.
        if (ready > 0 && !(fds[2].revents & POLLIN) &&
            (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            hangupPending_ = true;
            dropAnswers(true);
        }
        sendDue(Clock::now());
    }
}

// Answers meant for a client that has gone are lost, as on a real line. A late answer is the
// register's own business: it is still working on the command and answers when done, to whoever
// has the line open by then (it waits for one to come).
void Simulator::dropAnswers(bool evenLate) {
    std::erase_if(outgoing_, [&](const Outgoing& o) { return evenLate || !o.late; });
    queuedBytes_ = 0;
    for (const Outgoing& o : outgoing_) queuedBytes_ += o.bytes.size();
    busyUntil_ = outgoing_.empty() ? Clock::time_point{} : outgoing_.back().due;
    writeBlocked_ = false;
    answerLine_ = LinePace(options_.baud);
}

// A line drops after the bytes on it have arrived: the hang-up waits until the client has read
// the last answer, or for a while at most (a client that no longer reads must not hold it off).
// What is written to the master reaches the client's side a moment later, so an empty queue
// there counts only once that moment has passed.
bool Simulator::lastAnswerTaken(Clock::time_point now) {
    if (!port_.hasClient()) return true;
    if (!hangupAfterRead_) hangupAfterRead_ = now + kHangupReadWait;
    const bool arrived = now >= lastWritten_ + kLineSettle;
    return (arrived && port_.unreadBytes() == 0) || now >= *hangupAfterRead_;
}

std::optional<Simulator::Clock::time_point> Simulator::nextWake() const {
    // Held late answers wait for a client's open, which the poll hears of.
    if (!outgoing_.empty() && !writeBlocked_ && port_.hasClient()) return outgoing_.front().due;
    // Nothing says when the client reads: look again shortly.
    if (hangupAfterRead_) return std::min(*hangupAfterRead_, Clock::now() + kHangupPoll);
    if (line_ == LineState::kDead) return liveAgain_;  // nothing goes out while the line is dead
    return std::nullopt;
}

void Simulator::updateLine(Clock::time_point now) {
    if (line_ == LineState::kDeaf && outgoing_.empty()) {
        line_ = LineState::kDead;
        if (options_.deadForMs) liveAgain_ = now + std::chrono::milliseconds(*options_.deadForMs);
        writePaper(paper_.lineDead());
    }
    if (line_ == LineState::kDead && liveAgain_ && now >= *liveAgain_) {
        line_ = LineState::kLive;
        writePaper(paper_.lineBack(lost_));
        lost_ = 0;
    }
}

// A command counts as heard when its CR would have arrived at the line speed: each stretch up to
// and including a CR is timed on the command line before its commands are handled. Bytes that
// reach a deaf or dead line are lost: they are not heard, and the transcript does not get them.
void Simulator::receive() {
    char buffer[4096];
    const ssize_t n = ::read(port_.master(), buffer, sizeof buffer);
    if (n <= 0) return;  // EAGAIN, EINTR: the next poll tells; the slave we hold rules out EIO
    std::string_view bytes(buffer, static_cast<std::size_t>(n));
    port_.releaseReservation();
    const auto now = Clock::now();
    updateLine(now);
    std::size_t heard = 0;
    std::vector<FramedCommand> commands;
    // Nothing more is heard on a line about to drop: what the client sends now is lost with it.
    while (heard < bytes.size() && line_ == LineState::kLive && !hangupPending_) {
        const auto rest = bytes.substr(heard);
        const auto cr = rest.find('\r');
        const auto stretch = rest.substr(0, cr == std::string_view::npos ? rest.size() : cr + 1);
        heard += stretch.size();
        const auto arrived = commandLine_.pass(now, stretch.size());
        commands.clear();
        framer_.feed(stretch, commands);
        for (const auto& command : commands) handle(command, arrived);
    }
    lost_ += bytes.size() - heard;
    if (transcript_ >= 0 && heard > 0) WriteAll(transcript_, bytes.substr(0, heard));
}

void Simulator::handle(const FramedCommand& command, Clock::time_point arrived) {
    if (command.discarded > 0) {
        writePaper(paper_.discarded(command.discarded));
        return;
    }
    const Reply reply = planner_.replyTo(command.text);
    switch (reply.kind) {
        case Reply::Kind::kIgnored:
            break;
        case Reply::Kind::kRefused:
            writePaper(paper_.refused(command.text, reply.code));
            break;
        case Reply::Kind::kNoAnswer:
        case Reply::Kind::kDone:
            writePaper(paper_.accepted(command.text));
            break;
    }
    schedule(reply, arrived);
    if (options_.hangupAfter > 0 && ++commands_ == options_.hangupAfter) hangupPending_ = true;
    if (reply.kind != Reply::Kind::kIgnored && ++taken_ == options_.deadAfter) {
        line_ = LineState::kDeaf;
    }
}

// Each piece waits its own pause after the command arrived (or after the piece before it), then
// goes out when the answer line is free; at a set line speed every byte is handed to the client
// when its last bit would have arrived.
//
// A command that comes while the register is busy with a late answer waits for it, then gets its
// answer --latency after it (late or not: the register has taken it by then). That is how the
// sends again of a late command are answered, one after another.
void Simulator::schedule(const Reply& reply, Clock::time_point arrived) {
    if (!port_.hasClient()) return;  // nobody listens: the answer is lost on the line
    const bool inTurn = busyUntil_ > arrived;
    const bool late = reply.late && !inTurn;
    auto at = inTurn ? busyUntil_ : arrived;
    for (std::size_t i = 0; i < reply.pieces.size(); ++i) {
        const auto& piece = reply.pieces[i];
        at += (i == 0 && inTurn) ? std::chrono::milliseconds(options_.latencyMs) : piece.delay;
        if (queuedBytes_ + piece.bytes.size() > kMaxQueued) break;
        queuedBytes_ += piece.bytes.size();
        if (!answerLine_.paced()) {
            at = answerLine_.pass(at, piece.bytes.size());
            outgoing_.push_back({at, piece.bytes, late});
            continue;
        }
        for (const char byte : piece.bytes) {
            at = answerLine_.pass(at, 1);
            outgoing_.push_back({at, std::string(1, byte), late});
        }
    }
    if ((late || inTurn) && !reply.pieces.empty()) busyUntil_ = at;
}

void Simulator::sendDue(Clock::time_point now) {
    if (!port_.hasClient()) return;  // only held late answers are queued: they wait for one
    std::string due;
    std::size_t pieces = 0;
    while (pieces < outgoing_.size() && outgoing_[pieces].due <= now) {
        due += outgoing_[pieces++].bytes;
    }
    if (due.empty() || writeBlocked_) return;
    const ssize_t n = ::write(port_.master(), due.data(), due.size());
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        writeBlocked_ = errno == EAGAIN;
        return;
    }
    // Sent, partly sent or failed for good: what went out leaves the queue; a failed line
    // loses the rest of what was due.
    const std::size_t sent = n < 0 ? due.size() : static_cast<std::size_t>(n);
    if (n > 0) lastWritten_ = now;
    std::size_t left = sent;
    while (left > 0 && !outgoing_.empty()) {
        auto& front = outgoing_.front().bytes;
        const std::size_t take = std::min(left, front.size());
        front.erase(0, take);
        left -= take;
        queuedBytes_ -= take;
        if (front.empty()) outgoing_.pop_front();
    }
    if (sent < due.size()) writeBlocked_ = true;
}

void Simulator::writePaper(std::string_view text) {
    if (!text.empty()) WriteAll(paperFd_, text);
}

}  // namespace varkon::sim
