// The job loop: at every tick of the job timer it reads the settings again, finds one waiting
// print file (the one file of single-file mode, or the next of numbered mode), has it converted
// when a converter is set, prints it through the receipt printer, counts it, tells the host
// application the outcome in receipt.txt and deletes the file. The one-shot run prints its one
// file the same way. The loop works on the engine's core; Varkon drives it.
#pragma once

#include <optional>
#include <string>

#include "app/actions.h"
#include "app/engine_core.h"
#include "app/launcher.h"
#include "config/param_settings.h"
#include "platform/files.h"

namespace varkon {

class JobLoop {
  public:
    JobLoop(EngineCore& core, Launcher& launcher, Actions& actions);

    // One tick of the job timer.
    void onJobTick();
    // The one-shot run's job, once the register has answered: the program ends afterwards.
    void printOneShotFile(const ParamSettings& settings);

  private:
    void singleFileJob(const ParamSettings& settings);
    void numberedFileJob(ParamSettings settings);
    bool runConverter(const ParamSettings& settings, const std::string& path);
    std::string raiseReceiptCounter();
    void showJobError(int error, const std::string& description);
    // Deletes the print file `read` came from; a file that has since taken its name stays.
    void deletePrintFile(const std::string& path, const std::optional<FileIdentity>& read);

    EngineCore& core_;
    Launcher& launcher_;
    Actions& actions_;
    PrintFileWatch printFiles_;
    bool portLost_ = false;  // the last open of the port for a job failed
};

}  // namespace varkon
