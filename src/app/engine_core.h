// EngineCore: what the engine's concerns share — the options it was started with, its state (the
// window's fields, the two timers, the receipt counter, how it is ending), the register link and
// the receipt printer built over its notices, and the two ways the run ends. Varkon owns the one
// core; the register search, the job loop and the actions each work on it, reading its state
// and changing it only through the calls named below.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/engine_notices.h"
#include "app/job_record.h"
#include "app/receipt_intake.h"
#include "app/surface.h"
#include "config/param_settings.h"
#include "greek/register_charset.h"
#include "greek/text_converter.h"
#include "link/link_timings.h"
#include "link/register_link.h"
#include "link/serial_port.h"
#include "maintenance/reports.h"
#include "platform/files.h"
#include "receipt/receipt_printer.h"

namespace varkon {

// Exit statuses of the program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitArgumentsRejected = 2;
inline constexpr int kExitRegisterNotFound = 3;
inline constexpr int kExitPortNotOpened = 4;
inline constexpr int kExitSettingsUnreadable = 5;
inline constexpr int kExitAlreadyRunning = 6;

struct EngineOptions {
    std::string arguments;  // the program's argument string (code page 1253); empty: interactive
    std::filesystem::path programDir = ".";  // where delay.inf lies when the work folder has none
    // Where param.ini, vats.dat, receipt.txt, delay.inf and the other side files lie, and what a
    // relative print-file folder is relative to.
    std::filesystem::path workDir = ".";
    LinkTimings timings;
    // varkond: nobody is there to press start, so printing starts as soon as the register
    // answers, and a watchdog that gives up ends the run (kExitRegisterNotFound).
    bool unattended = false;
    // How long the job loop waits for the converter's end marker end.txt before it leaves the
    // job for a later tick.
    std::chrono::milliseconds converterWait{120000};
    // A print file changed more recently than this is still being written (POSIX).
    std::chrono::milliseconds printFileSettle{500};
    // The external converter every register text passes through; nullptr: texts pass unchanged.
    std::shared_ptr<TextConverter> converter;
    // Receipts and reports handed in besides the folder (varkond's HTTP interface); nullptr:
    // the folder only. The front end owns it.
    ReceiptIntake* intake = nullptr;
};

// The watchdog probes the register this often (milliseconds).
inline constexpr int kWatchdogInterval = 1000;

struct TimerState {
    bool enabled = false;
    int interval = 0;  // milliseconds
};

class EngineCore {
  public:
    EngineCore(Surface& surface, std::unique_ptr<SerialPort> port, EngineOptions options);
    EngineCore(const EngineCore&) = delete;
    EngineCore& operator=(const EngineCore&) = delete;

    // A side file of the work folder, or a print-file path with a relative folder placed in it
    // (code page 1253). With the work folder "." the path stays as it is.
    std::string inWorkDir(const std::string& path) const;
    std::filesystem::path workFile(const char* name) const { return options_.workDir / name; }

    bool oneShot() const { return !options_.arguments.empty(); }

    // One program per work folder: takes the folder's lock, or says why not and ends.
    bool lockWorkFolder();

    // The settings a start-up or a tick works with: param.ini, or the argument string. false
    // when the run has ended instead, or when the desktop program's param.ini names no port and
    // settingsWanted is set (the reason is already shown either way).
    bool readStartupSettings(ParamSettings& settings);
    bool readTickSettings(ParamSettings& settings);

    void showStatus(const std::string& text) { notices_.showStatus(text); }
    void showCaption(const std::string& text) { notices_.showCaption(text); }
    void openPortIfClosed();
    // Opens the port named by the window's fields; a failure is told unless quiet.
    PortOpening openPort(bool quiet);
    // The pause after every command, from delay.inf as it is now.
    std::chrono::milliseconds pacingDelay() const;

    // The two ways the run ends. Once it has ended no timer ticks again, and the front end exits
    // with exitCode.
    // Ends at once with `exitCode`, the port left as it is: start-up could not go on, or a job
    // or an action failed in a way the run cannot outlive.
    void endRun(int exitCode);
    // Closes the port and ends with `exitCode`: the window closed, a stop asked for, the one-shot
    // run or the single file done. Once the run has ended it does nothing.
    void closePortAndEnd(int exitCode);

    // The parts every concern works through.
    Surface& surface() { return surface_; }
    EngineNotices& notices() { return notices_; }
    RegisterLink& link() { return link_; }
    Reports& reports() { return reports_; }
    ReceiptPrinter& printer() { return printer_; }
    JobRecord& jobs() { return jobs_; }
    const EngineOptions& options() const { return options_; }

    // The port and speed the window started with, renewed by every tick.
    const std::string& portName() const { return portName_; }
    const std::string& baud() const { return baud_; }
    // Start-up's settings name the window's port and speed; [AutoStar]=yes, once seen, stays.
    void takeStartupSettings(const ParamSettings& settings);
    // [AutoStar]=yes: printing starts as soon as the register answers.
    bool autoStart() const { return autoStart_; }

    // The receipt counter's text.
    const std::string& receiptCount() const { return receiptCount_; }
    void setReceiptCount(std::string text) { receiptCount_ = std::move(text); }

    const TimerState& jobTimer() const { return jobTimer_; }
    void setJobInterval(int milliseconds) { jobTimer_.interval = milliseconds; }
    void startJobTimer() { jobTimer_.enabled = true; }
    void stopJobTimer() { jobTimer_.enabled = false; }
    const TimerState& watchdogTimer() const { return watchdogTimer_; }
    // The watchdog probes every kWatchdogInterval ms while it runs.
    void startWatchdog() {
        watchdogTimer_.interval = kWatchdogInterval;
        watchdogTimer_.enabled = true;
    }
    void stopWatchdog() { watchdogTimer_.enabled = false; }

    // The desktop program's param.ini named no port: start-up waits for the settings dialog to
    // write a good one, and goes on from there instead of ending.
    bool waitsForSettings() const { return settingsWanted_; }
    void settingsSupplied() { settingsWanted_ = false; }

    // A close asked for while the engine is busy, carried out where it can stop safely.
    void requestClose() { closeRequested_ = true; }
    bool closeRequested() const { return closeRequested_; }
    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }

  private:
    Surface& surface_;
    EngineNotices notices_;
    EngineOptions options_;
    RegisterLink link_;
    std::shared_ptr<TextConverter> converter_;
    RegisterCharset charset_;
    Reports reports_;
    ReceiptPrinter printer_;
    JobRecord jobs_;

    std::string portName_;
    std::string baud_;
    bool autoStart_ = false;
    std::string receiptCount_ = "0";
    TimerState jobTimer_{false, 3000};
    TimerState watchdogTimer_{false, 0};
    bool settingsWanted_ = false;
    bool closeRequested_ = false;
    bool finished_ = false;
    int exitCode_ = kExitNormal;

    FolderLock folderLock_;
    ParamSettings lastSettings_;  // the job loop's settings when param.ini cannot be read
};

}  // namespace varkon
