// The window's buttons and menu entries as the engine carries them out: start and stop printing,
// the end entry, the settings dialog's opening and closing, the help text, the reports and the
// basic programming run. Each works on the engine's core; the front end reaches them through
// Varkon.
#pragma once

#include "app/engine_core.h"
#include "maintenance/reports.h"
#include "platform/launcher.h"

namespace varkon {

class Actions {
  public:
    Actions(EngineCore& core, Launcher& launcher) : core_(core), launcher_(launcher) {}

    void startPrinting();  // the start button: the job timer runs
    void stopPrinting();   // the stop button: the job timer stops, the port opens for reports
    void endProgram();  // "Τερματισμός Varkon": KX794ST, close the port, close the window
    void openSettings();    // the settings dialog (the front end shows it): the watchdog pauses
    void settingsClosed();  // closed without saving: the watchdog goes on
    // Start-up cannot go on without settings: the main window gives way to the settings dialog,
    // as when the register search fails.
    void askForSettings();
    void settingsSaved();  // confirmed: the program ends, the settings apply at the next start
    void showHelp();
    void runBasicProgramming();
    void runReport(Report report);

  private:
    // A start action that cannot go on: its error number and the lines of error.lst that
    // explain it are drawn on the window, and the program ends.
    void startActionFailed(int number);

    EngineCore& core_;
    Launcher& launcher_;
};

}  // namespace varkon
