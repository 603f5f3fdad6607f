// LinkHooks: what the link needs from the layers above while it works, declared here so that it
// never reaches up: a repaint while an exchange waits, whether a stop was asked, and each
// exchange's outcome the moment it is known. The engine implements them; tests record them.
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
