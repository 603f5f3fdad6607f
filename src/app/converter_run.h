// ConverterRun: the external converter a print file goes through before it is sent (param.ini's
// [convert2] command). It starts the command through the Launcher with the file's path and waits
// until the converter writes its end marker, end.txt, into the work folder. The job loop owns one
// and runs it before each new receipt.
#pragma once

#include <string>

#include "app/engine_core.h"
#include "platform/launcher.h"

namespace varkon {

class ConverterRun {
  public:
    ConverterRun(EngineCore& core, Launcher& launcher) : core_(core), launcher_(launcher) {}

    // Converts the print file at `path` with `command` (code page 1253; blank: no converter,
    // nothing runs). True when the file may be sent; false when the converter could not be
    // started, did not write its marker in time (it is ended) or a stop came while it ran: the
    // receipt waits for a later tick.
    bool convert(const std::string& command, const std::string& path);

  private:
    EngineCore& core_;
    Launcher& launcher_;
    std::string refused_;  // the command that could not be started, told once
};

}  // namespace varkon
