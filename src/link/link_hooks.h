// LinkHooks: what the link needs from the layers above it while it works, declared here so that
// it never reaches up to them: the window must paint while an exchange waits, a stop cuts the
// wait short, and every exchange's outcome is handed up the moment it is known (before the pause
// after the command), for the layer above to tell the operator what it must. The link shows
// nothing itself; the engine implements these hooks, tests record them.
#pragma once

#include "link/exchange_result.h"

namespace varkon {

class LinkHooks {
  public:
    virtual ~LinkHooks() = default;

    // Lets the window paint while an exchange blocks (and a service notice a stop request).
    virtual void repaint() = 0;
    // True once the program has been told to stop: a wait for the register is given up at once.
    virtual bool stopRequested() const { return false; }
    // An exchange has ended with this outcome; called before the journal records it and before
    // the pause after the command.
    virtual void exchangeEnded(const ExchangeResult&) {}
};

}  // namespace varkon
