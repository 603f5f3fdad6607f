// The search for the register: the port is opened, the operator is asked to key 793 ST, and the
// watchdog probes the register with "KXCL" at most three times in the program's life. When it
// answers the window is ready (and printing starts at once with [AutoStar]=yes, or in varkond).
// A one-shot run instead waits for the register for as long as it takes.
#pragma once

#include "app/actions.h"
#include "app/engine_core.h"

namespace varkon {

class RegisterSearch {
  public:
    RegisterSearch(EngineCore& core, Actions& actions) : core_(core), actions_(actions) {}

    // Opens the port and starts the watchdog; a port that does not open ends the program.
    void start();
    // One tick of the watchdog timer.
    void onWatchdogTick();
    // A one-shot run: probes until the register answers (false: a close was asked for first).
    bool waitForRegister();

  private:
    void showReady();

    EngineCore& core_;
    Actions& actions_;
    int attempts_ = 0;  // never reset: three probes in the program's life
};

}  // namespace varkon
