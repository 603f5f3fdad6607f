// EngineCore: what the engine's concerns share — the options it was started with, its state (the
// window's fields, the two timers, the receipt counter, how it is ending), the register link and
// the receipt printer built over its notices, and the two ways the run ends. Varkon owns the one
// core; the register search, the job loop and the actions each work on it.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/engine_notices.h"
#include "app/job_record.h"
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
    std::filesystem::path workFile(const char* name) const { return options.workDir / name; }

    bool oneShot() const { return !options.arguments.empty(); }

    // One program per work folder: takes the folder's lock, or says why not and ends.
    bool lockWorkFolder();

    // The settings a start-up or a tick works with: param.ini, or the argument string. false
    // when the run has ended instead, or when the desktop program's param.ini names no port and
    // settingsWanted is set (the reason is already shown either way).
    bool readStartupSettings(ParamSettings& settings);
    bool readTickSettings(ParamSettings& settings);

    void showStatus(const std::string& text) { notices.showStatus(text); }
    void showCaption(const std::string& text) { notices.showCaption(text); }
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

    Surface& surface;
    EngineNotices notices;
    EngineOptions options;
    RegisterLink link;
    std::shared_ptr<TextConverter> converter;
    RegisterCharset charset;
    Reports reports;
    ReceiptPrinter printer;
    JobRecord jobs;

    std::string portName;  // the port and speed the window started with, renewed by every tick
    std::string baud;
    bool autoStart = false;  // [AutoStar]=yes: printing starts as soon as the register answers
    std::string receiptCount = "0";  // the receipt counter's text
    TimerState jobTimer{false, 3000};
    TimerState watchdogTimer{false, 0};
    // The desktop program's param.ini named no port: start-up waits for the settings dialog to
    // write a good one, and goes on from there instead of ending.
    bool settingsWanted = false;
    bool closeRequested = false;
    bool finished = false;
    int exitCode = kExitNormal;

  private:
    FolderLock folderLock_;
    ParamSettings lastSettings_;  // the job loop's settings when param.ini cannot be read
};

}  // namespace varkon
