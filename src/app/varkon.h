// Varkon: the engine of the main window, the one object a front end (the Qt window, varkond)
// drives. It owns the engine's core and its concerns — the register search and watchdog, the job
// loop, the button and menu actions — and shows everything through the Surface. A front end
// calls load(), the timer ticks while their timers are on, and the handlers of its buttons and
// menus, and ends the process when finished() says so.
#pragma once

#include <memory>
#include <string>

#include "app/actions.h"
#include "app/engine_core.h"
#include "app/job_loop.h"
#include "app/register_search.h"
#include "app/surface.h"
#include "link/serial_port.h"
#include "platform/launcher.h"

namespace varkon {

class Varkon {
  public:
    Varkon(Surface& surface, Launcher& launcher, std::unique_ptr<SerialPort> port,
           EngineOptions options);

    // The window's load step: settings, option panel, register search, and in a one-shot run
    // the job itself.
    void load();

    // Timers: the front end calls a tick while its timer is enabled, every `interval` ms. A tick
    // that falls due while one still runs is skipped.
    const TimerState& jobTimer() const { return core_.jobTimer(); }
    const TimerState& watchdogTimer() const { return core_.watchdogTimer(); }
    void onJobTick();
    void onWatchdogTick();

    // The print-file folder: a front end waits on this handle (a descriptor that turns readable
    // on POSIX, an event on Windows) beside its timers, and calls onFolderChanged when it fires,
    // so that a receipt starts the moment its file is written instead of at the next tick.
    std::intptr_t folderWaitHandle() const { return jobs_.folderWaitHandle(); }
    // True when it took a look at the folder.
    bool onFolderChanged();
    // A receipt or a report was handed in (ReceiptIntake): a look at once, as for the folder.
    bool onHandedIn();
    // The same while the engine is busy (a front end's events run inside an exchange): what
    // happened is noted, and the job loop looks again as soon as the tick in progress ends.
    void noteFolderChanged();

    // Buttons and menu entries.
    void startPrinting();
    void stopPrinting();
    void endProgram();  // "Τερματισμός Varkon": KX794ST, close the port, close the window
    void openSettings();    // the settings dialog (the front end shows it; watchdog off)
    void settingsClosed();  // the settings dialog was closed without saving: watchdog on
    // Confirmed: the program ends for a restart; when start-up waited for these settings
    // (waitsForSettings), start-up goes on with them instead.
    void settingsSaved();
    // Start-up found no port in param.ini and the settings dialog is asked to supply one.
    bool waitsForSettings() const { return core_.waitsForSettings(); }
    void showHelp();
    void runBasicProgramming();
    void runReport(Report report);

    // The operator typed into the receipt counter: the count goes on from that text.
    void receiptCounterEdited(const std::string& utf8Text) { core_.setReceiptCount(utf8Text); }

    // The window is being closed (close box, signal): the termination step.
    void close() { core_.closePortAndEnd(kExitNormal); }

    // Asks for the termination step at the next point where the engine can stop safely: after
    // the command in progress, at the end of a tick or of a wait. For a signal that arrives while
    // the engine is busy (varkond calls it from the Surface's repaint).
    void requestClose() { core_.requestClose(); }

    // The program has ended (window closed or an immediate end); the front end exits with
    // exitCode().
    bool finished() const { return core_.finished(); }
    int exitCode() const { return core_.exitCode(); }

    // Message boxes of the front end's own windows (the settings dialog) go through here, so
    // that they count for the job's outcome like every other.
    int showMessage(const std::string& text, int style, const std::string& title) {
        return core_.notices().showMessage(text, style, title);
    }

    RegisterLink& link() { return core_.link(); }
    std::chrono::milliseconds pacingDelay() const { return core_.pacingDelay(); }

  private:
    // Settings, option panel, register search; again after the dialog supplied the settings.
    void startUp();
    void fillOptionPanel(const ParamSettings& settings);
    void oneShotRun(const ParamSettings& settings);

    EngineCore core_;
    Actions actions_;
    RegisterSearch search_;
    JobLoop jobs_;
    bool jobTickRunning_ = false;
    bool lookAgain_ = false;  // the folder changed during a tick
    bool watchdogTickRunning_ = false;
};

}  // namespace varkon
