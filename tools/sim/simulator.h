// The virtual register's event loop: one thread sleeping in ppoll on the signal descriptor, the
// pseudo-terminal and its open/close notices, with answers scheduled on the steady clock (at a set
// line speed, after the command's own bytes would have arrived). The Simulator owns the port, the
// output files and the answer queue for its whole run.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "sim/line_pace.h"
#include "sim/paper_roll.h"
#include "sim/register_replies.h"
#include "sim/sim_options.h"
#include "sim/virtual_port.h"

namespace varkon::sim {

class Simulator {
  public:
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Runs until SIGTERM, SIGINT or SIGHUP (exit status 0) or a failure of the port (1).
    int run();

  private:
    using Clock = std::chrono::steady_clock;
    struct Outgoing {
        Clock::time_point due;
        std::string bytes;
        bool late = false;  // outlives the client that closed the line
    };
    // Answers waiting to go out, bounded: a client that never reads cannot grow it for ever.
    static constexpr std::size_t kMaxQueued = 1 << 20;

    // --dead-after: a live line turns deaf when the register has taken its last command before
    // the outage (what arrives from then on is lost), dead once the answers already given have
    // gone out, and live again when --dead-for has passed. It goes dead only once.
    enum class LineState { kLive, kDeaf, kDead };

    bool openFiles(std::string& error);
    bool plugIn(std::string& error);
    void receive();
    void handle(const FramedCommand& command, Clock::time_point arrived);
    void schedule(const Reply& reply, Clock::time_point arrived);
    void sendDue(Clock::time_point now);
    // Answers meant for a client that has gone; late ones stay unless `evenLate`.
    void dropAnswers(bool evenLate);
    void writePaper(std::string_view text);
    void updateLine(Clock::time_point now);
    std::optional<Clock::time_point> nextWake() const;
    bool lastAnswerTaken(Clock::time_point now);

    SimOptions options_;
    VirtualPort port_;
    CommandFramer framer_;
    ReplyPlanner planner_;
    PaperRoll paper_;
    LinePace commandLine_;  // the client's bytes to the register
    LinePace answerLine_;   // the register's answers to the client
    std::deque<Outgoing> outgoing_;
    // While a late answer, or an answer queued behind one, is still due, the register is busy:
    // the next command is taken only after it.
    Clock::time_point busyUntil_{};
    std::size_t queuedBytes_ = 0;
    bool writeBlocked_ = false;
    long commands_ = 0;
    bool hangupPending_ = false;
    std::optional<Clock::time_point> hangupAfterRead_;  // latest hang-up while the client reads
    static constexpr std::chrono::milliseconds kHangupReadWait{1000};
    static constexpr std::chrono::milliseconds kHangupPoll{5};
    static constexpr std::chrono::milliseconds kLineSettle{50};
    Clock::time_point lastWritten_;
    LineState line_ = LineState::kLive;
    long taken_ = 0;                              // commands the register took, for --dead-after
    std::optional<Clock::time_point> liveAgain_;  // while dead; none: dead for good
    std::size_t lost_ = 0;                        // bytes sent into the dead line
    int signals_ = -1;
    int transcript_ = -1;
    int paperFd_ = 1;
};

// Writes all of `bytes`, retrying on EINTR and short writes; false on any other failure.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace varkon::sim
