// HostOutcome: what the host application reads of each receipt in the work folder — receipt.txt,
// emptied before a job and then holding the receipt's number or -1, and journal.txt, open while a
// job runs — and the window's receipt counter that numbers the receipts. The job loop owns one;
// the counter's text itself is the core's.
#pragma once

#include <fstream>
#include <string>

#include "app/engine_core.h"

namespace varkon {

class HostOutcome {
  public:
    explicit HostOutcome(EngineCore& core) : core_(core) {}

    // journal.txt, open for the job as the host application expects; a link under its name is
    // replaced by an empty file first.
    std::ofstream openJournal();
    // Empties receipt.txt before a job, so that the host does not read an earlier outcome as this
    // one's. false when it could not be written.
    bool emptyReceiptFile();
    // Writes the outcome into receipt.txt: the receipt's number, or "-1". One that cannot be
    // written is told, unless the full disk was told already with the receipt.
    void writeReceiptFile(const std::string& text);
    // Counts one more receipt on the window's counter; returns the counter's new text.
    std::string raiseCounter();

  private:
    EngineCore& core_;
};

}  // namespace varkon
