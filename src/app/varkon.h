// Varkon: the engine of the main window. It holds the window's fields (Port, Baud, GreekCnv,
// EcrErrorText, autostar), the two timers as state, the start-up, the job loop, the watchdog,
// the start and stop actions, the menu actions and the ways of ending. It shows everything
// through the Surface; a front end (the Qt window, varkond) calls load(), the timer ticks and
// the click handlers, and ends the process when finished() says so.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/base/messages.h"
#include "app/base/surface.h"
#include "app/launcher.h"
#include "app/print_jobs.h"
#include "app/status_mirror.h"
#include "config/param_settings.h"
#include "greek/greek_mikro.h"
#include "greek/text_converter.h"
#include "link/fiscal_tec_module.h"
#include "link/link_timings.h"
#include "link/serial_port.h"
#include "maintenance/reports.h"
#include "receipt/receipt_printer.h"

namespace varkon {

// Exit statuses of the program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitArgumentsRejected = 2;
inline constexpr int kExitRegisterNotFound = 3;
inline constexpr int kExitPortNotOpened = 4;
inline constexpr int kExitSettingsUnreadable = 5;

struct EngineOptions {
    std::string arguments;  // the program's argument string (code page 1253); empty: interactive
    std::filesystem::path programDir = ".";  // where delay.inf lies
    LinkTimings timings;
    // varkond: nobody is there to press start, so printing starts as soon as the register
    // answers, and a watchdog that gives up ends the run (kExitRegisterNotFound).
    bool unattended = false;
    // How long the job loop waits for the converter's end marker end.txt before it leaves the
    // job for a later tick.
    std::chrono::milliseconds converterWait{120000};
    // A print file changed more recently than this is still being written (POSIX).
    std::chrono::milliseconds printFileSettle{500};
};

struct TimerState {
    bool enabled = false;
    int interval = 0;  // milliseconds
};

class Varkon {
  public:
    Varkon(Surface& surface, Launcher& launcher, std::unique_ptr<SerialPort> port,
           EngineOptions options);

    // The window's load step: settings, option panel, register search, and in a one-shot run
    // the job itself.
    void load();

    // Timers: the front end calls the tick while the timer is enabled, every `interval` ms.
    // A tick that falls due while one still runs is skipped.
    TimerState Timer1{false, 3000};
    TimerState Timer2{false, 0};
    void onTimer1();
    void onTimer2();

    // Buttons and menu entries.
    void Command1_Click();  // start printing
    void Command2_Click();  // stop printing
    void end_Click();  // "Τερματισμός Varkon": KX794ST, close the port, close the window
    void param_Click();     // the settings dialog (the front end shows it; watchdog off)
    void settingsClosed();  // the settings dialog was closed without saving: watchdog on
    void settingsSaved();   // confirmed: the program ends for a restart
    void help_text_Click();
    void basic_programming_Click();
    void xrep0_Click();
    void xrep5_Click();
    void zrep021_Click();
    void zrep521_Click();

    // The window is being closed (close box, signal): the termination step.
    void close();

    // Asks for the termination step at the next point where the engine can stop safely: after
    // the command in progress, at the end of a tick or of a wait. For a signal that arrives while
    // the engine is busy (varkond calls it from the Surface's repaint).
    void requestClose() { closeRequested_ = true; }

    // The farewell notice and the immediate end for a rejected argument list.
    void exitprg();

    // The program has ended (window closed or an immediate end); the front end exits with
    // exitCode().
    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }

    // Window fields.
    std::string Port;
    std::string Baud;
    Cnv437869G GreekCnv;
    bool autostar = false;

    FiscalTecModule& link() { return link_; }
    Messages& messages() { return messages_; }

  private:
    void readStartupSettings(ParamSettings& settings);
    bool readTickSettings(ParamSettings& settings);
    void fillOptionPanel(const ParamSettings& settings);
    void startRegisterSearch();
    void oneShotRun(const ParamSettings& settings);
    void showReady();
    void singleFileJob(const ParamSettings& settings);
    void numberedFileJob(ParamSettings settings);
    bool runConverter(const ParamSettings& settings, const std::string& path);
    std::string raiseReceiptCounter();
    // Deletes the print file `read` came from; a file that has since taken its name stays.
    void deletePrintFile(const std::string& path, const std::optional<FileIdentity>& read);
    void startActionFailed(int number);
    void openPortIfClosed();
    void setStatus(const std::string& utf8) { surface_.setStatus(utf8); }
    void closeWindow(int exitCode);
    void endNow(int exitCode);

    StatusMirror surface_;
    Launcher& launcher_;
    EngineOptions options_;
    Messages messages_;
    FiscalTecModule link_;
    std::string EcrErrorText;
    GreekMikro mikro_;
    Reports reports_;
    ReceiptPrinter printer_;
    PrintFileWatch printFiles_;
    ParamSettings lastSettings_;  // the job loop's settings when param.ini cannot be read
    int watchdogAttempts_ = 0;    // never reset: three probes in the program's life
    bool portLost_ = false;       // the job loop's last open of the port failed
    bool timer1Running_ = false;
    bool timer2Running_ = false;
    bool closeRequested_ = false;
    bool finished_ = false;
    int exitCode_ = kExitNormal;
};

}  // namespace varkon
