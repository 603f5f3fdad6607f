// How the virtual register hears and answers: CommandFramer cuts the received bytes into
// commands, ReplyPlanner decides each command's answer (and its misbehaviour) from SimOptions.
// Both are plain state machines; the Simulator owns them and does all the I/O and timing.
#pragma once

#include <chrono>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_options.h"

namespace varkon::sim {

struct FramedCommand {
    std::string text;           // without its CR and without leading line feeds
    std::size_t discarded = 0;  // >0: an overlong command of that many bytes was thrown away
};

class CommandFramer {
  public:
    // A command that grows past this without a CR is dropped, up to and including its CR.
    static constexpr std::size_t kMaxCommand = 64 * 1024;

    // Appends received bytes; each complete non-empty command is added to `out`.
    void feed(std::string_view bytes, std::vector<FramedCommand>& out);

  private:
    std::string pending_;
    std::size_t discarding_ = 0;  // bytes dropped so far of an overlong command
};

struct ReplyPiece {
    std::chrono::milliseconds delay{0};  // pause before this piece goes out
    std::string bytes;
};

struct Reply {
    enum class Kind {
        kIgnored,   // silent or offline: the register did not take the command
        kNoAnswer,  // taken, but this command is never answered
        kDone,      // taken and answered with 0x04
        kRefused,   // answered with "DE" and an error code
    };
    Kind kind = Kind::kIgnored;
    std::string code;   // for kRefused
    bool late = false;  // --late: the first piece waits the late delay instead of --latency
    std::vector<ReplyPiece> pieces;
};

class ReplyPlanner {
  public:
    explicit ReplyPlanner(const SimOptions& options) : options_(options) {}

    // Called once per command, in the order received.
    Reply replyTo(std::string_view command);

  private:
    std::string noise();

    const SimOptions& options_;
    long commands_ = 0;
    std::minstd_rand random_{1253};
};

}  // namespace varkon::sim
