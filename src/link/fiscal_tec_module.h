// FiscalTecModule: the register link. It owns the serial port (PortHandle), the status of the
// last link operation (EcrError) and the one-command-at-a-time exchange: throw away what arrived
// unasked, frame, write, wait for 0x04 or "DE", retry, decode the register's error codes, pace.
// The register answers every send of a command, so an answer is only taken as the answer to the
// command now out when it came after that command's first send. Failures are shown through the
// message box unless an exchange is quiet; callers read EcrError afterwards. It tells the operator
// through the Notices it is given and owns nothing above itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "link/command_journal.h"
#include "link/link_timings.h"
#include "link/notices.h"
#include "link/serial_port.h"

namespace varkon {

// Values of EcrError besides the register's own (positive) error codes.
inline constexpr std::int16_t kEcrOk = 0;
inline constexpr std::int16_t kEcrPortNotOpened = -1;
inline constexpr std::int16_t kEcrSetUpFailed = -2;
inline constexpr std::int16_t kEcrCodeNotANumber = -3;
inline constexpr std::int16_t kEcrNoAnswer = -4;
// While a receipt is being sent: the sending stopped at an earlier command, this one did not go
// out.
inline constexpr std::int16_t kEcrNotSent = -5;
// The program is stopping: the command went out (or not) and its answer was not waited for.
inline constexpr std::int16_t kEcrAbandoned = -6;

class FiscalTecModule {
  public:
    // delay.inf, the pause after every command, is looked for in settingsDir (the folder of
    // param.ini) first, then in programDir (the program's own folder).
    FiscalTecModule(Notices& notices, std::unique_ptr<SerialPort> port, LinkTimings timings = {},
                    std::filesystem::path programDir = ".", std::filesystem::path settingsDir = {});

    // 0: closed. Otherwise the outcome of the last open: 1 open, -1 the open failed. A failed
    // port counts as not closed until ClosePort, exactly as the callers' open-if-closed pattern
    // expects.
    int PortHandle() const { return portHandle_; }
    // True when the last OpenPort failed because another program holds the port.
    bool portBusy() const { return port_->openFailedBusy(); }

    // Status of the last link operation: kEcrOk, one of the failures above, or n > 0 the
    // register's error code.
    std::int16_t EcrError = kEcrOk;

    // Opens the port named by the settings (code page 1253) at the given speed text. Sets
    // EcrError and `message`; unless quiet a failure is shown (critical icon, "Μύνημα Varkon").
    void OpenPort(const std::string& portName, const std::string& baud, std::string& message,
                  bool quiet);
    void ClosePort();

    // One exchange and the pacing pause. `command` and `reply` are code page 1253 bytes.
    // While a receipt's journal is attached, a command it says was answered before is not sent,
    // and the first command that gets no answer (or whose wait a stop cuts short, or whose answer
    // the journal cannot record) stops the sending: every later command of the receipt ends with
    // kEcrNotSent without going out.
    void SendCommand(const std::string& command, std::string& reply, bool quiet);
    // A report command (X, Z): sent once, and its answer awaited for the report's reply window.
    void SendReport(const std::string& command, std::string& reply);

    // The journal of the receipt now being sent; nullptr when the receipt is over.
    void attachJournal(CommandJournal* journal);
    // The register refused the last command sent ("DE" and a code), told or quiet.
    bool lastRefused() const { return lastRefused_; }
    // The receipt's sending has stopped at a command that got no answer, or whose answer the
    // journal could not record.
    bool sendingStopped() const { return sendingStopped_; }

    // The pause after every command as delay.inf gives it now: whole milliseconds up to a
    // minute; zero when there is no such file or the one found first holds anything else.
    std::chrono::milliseconds PacingDelay() const;

    const LinkTimings& timings() const { return timings_; }
    Notices& notices() { return notices_; }

    // The pieces of SendCommand, public for the tests of the wire.
    void ExchangeCommand(const std::string& framed, std::string& reply, bool quiet);
    void WritePort(const std::string& text);
    std::string ReadPort();

  private:
    void send(const std::string& command, std::string& reply, bool quiet,
              std::chrono::milliseconds window, int attempts);
    void exchange(const std::string& framed, std::string& reply, bool quiet,
                  std::chrono::milliseconds window, int attempts);
    void settleLine();

    Notices& notices_;
    std::unique_ptr<SerialPort> port_;
    LinkTimings timings_;
    std::filesystem::path programDir_;
    std::filesystem::path settingsDir_;
    int portHandle_ = 0;
    CommandJournal* journal_ = nullptr;
    bool sendingStopped_ = false;
    bool lastRefused_ = false;
    // The last command went out more than once, or its answer was not had: answers to it may
    // still be on their way.
    bool answersOwed_ = false;
};

}  // namespace varkon
