// RegisterLink: the register link. It owns the serial port and the one-command-at-a-time
// exchange: throw away what arrived unasked, frame, write, wait for 0x04 or "DE", retry, decode
// the register's code, pace. The register answers every send of a command, so an answer is only
// taken as the answer to the command now out when it came after that command's first send.
// Every operation returns its outcome; the link shows nothing and hands each exchange's outcome
// up through the LinkHooks it is given, which belong to the layer above.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/line_format.h"
#include "link/command_journal.h"
#include "link/exchange_result.h"
#include "link/link_hooks.h"
#include "link/link_timings.h"
#include "link/serial_port.h"

namespace varkon {

// The port as the callers' open-if-closed pattern sees it: a port whose open failed counts as
// not closed until close().
enum class PortState { kClosed, kOpen, kFailed };

class RegisterLink {
  public:
    // The pause after every command, asked for afresh before each pause (an operator may change
    // it while the program runs); empty: no pause.
    using PacingDelay = std::function<std::chrono::milliseconds()>;

    RegisterLink(LinkHooks& hooks, std::unique_ptr<SerialPort> port, LinkTimings timings = {},
                 PacingDelay pacingDelay = {});

    PortState portState() const { return portState_; }

    // Opens the named port (code page 1253) with the line format; a set-up failure leaves the
    // port open (kOpen), any other failure makes it kFailed.
    PortOpening open(const std::string& portName, const std::optional<LineFormat>& format);
    void close();

    // One exchange and the pacing pause. `command` is code page 1253 bytes, without its CR.
    // While a receipt's journal is attached, a command it says was answered before is not sent,
    // and the first command that gets no answer (or whose wait a stop cuts short, or whose answer
    // the journal cannot record) stops the sending: every later command of the receipt ends with
    // kNotSent without going out.
    ExchangeResult send(const std::string& command, bool quiet = false);
    // A report command (X, Z): sent once, and its answer awaited for the report's reply window.
    ExchangeResult sendReport(const std::string& command);

    // The journal of the receipt now being sent; nullptr when the receipt is over.
    void attachJournal(CommandJournal* journal);
    // The receipt's sending has stopped at a command that got no answer, or whose answer the
    // journal could not record.
    bool sendingStopped() const { return sendingStopped_; }

    const LinkTimings& timings() const { return timings_; }

    // The exchange alone (no journal, no pause) of an already framed command, for the tests of
    // the wire.
    ExchangeResult exchange(const std::string& framed, bool quiet);

  private:
    ExchangeResult send(const std::string& command, bool quiet, std::chrono::milliseconds window,
                        int attempts);
    ExchangeResult exchange(const std::string& framed, bool quiet, std::chrono::milliseconds window,
                            int attempts);
    // The sends and the waits of one exchange, up to the decoded answer.
    ExchangeResult awaitAnswer(const std::string& framed, std::chrono::milliseconds window,
                               int attempts);
    void settleLine();
    void writePort(const std::string& text);
    std::string readPort();

    LinkHooks& hooks_;
    std::unique_ptr<SerialPort> port_;
    LinkTimings timings_;
    PacingDelay pacingDelay_;
    PortState portState_ = PortState::kClosed;
    CommandJournal* journal_ = nullptr;
    bool sendingStopped_ = false;
    // The last command went out more than once, or its answer was not had: answers to it may
    // still be on their way.
    bool answersOwed_ = false;
};

}  // namespace varkon
