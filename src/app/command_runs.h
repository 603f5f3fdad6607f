// The maintenance commands that varkond runs without a window and without the job loop: one X or
// Z report, or the programming run on one program file. They share the register with a Varkon
// that may be printing in the same folder, so they take the port only when it is free (the port
// is opened exclusively, and a receipt holds it from its first command to its last): they wait
// while a receipt is being sent and never cut into one. A receipt left unfinished in the folder's
// record means the register may hold it open; then nothing is sent and the operator is told.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/surface.h"
#include "link/link_timings.h"
#include "link/serial_port.h"
#include "maintenance/reports.h"

namespace varkon {

struct CommandRunOptions {
    std::filesystem::path workDir = ".";     // param.ini, vats.dat, varkon.job
    std::filesystem::path programDir = ".";  // delay.inf
    LinkTimings timings;
    // How long a port held by another program is waited for before the run gives up.
    std::chrono::milliseconds portWait{std::chrono::minutes(10)};
    std::chrono::milliseconds portRetry{std::chrono::seconds(1)};
    // Sleeps until the time given or a stop request; the run gives up once stopRequested says so.
    std::function<void(std::chrono::steady_clock::time_point)> sleepUntil;
    std::function<bool()> stopRequested;
};

// Both end with one of the engine's exit statuses: 0 done; 1 the register refused, the program
// file could not be read, or a receipt is unfinished; 3 the register did not answer; 4 the port
// could not be had; 5 param.ini cannot be read.
int RunReportCommand(Surface& surface, std::unique_ptr<SerialPort> port, Report report,
                     const CommandRunOptions& options);
// programFile is a code page 1253 path; the file is sent like a print file and kept.
int RunProgramCommand(Surface& surface, std::unique_ptr<SerialPort> port,
                      const std::string& programFile, const CommandRunOptions& options);

}  // namespace varkon
