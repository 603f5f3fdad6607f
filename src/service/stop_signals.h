// How varkond hears that it must stop (SIGTERM, SIGINT and SIGHUP on POSIX, the console's close and
// Ctrl+C on Windows) and how it sleeps until its next timer falls due without missing one. A
// signal can only reach the program through process-wide state: this unit owns it, a flag and on
// POSIX a pipe that wakes the sleep at once. stop_signals_posix.cpp and stop_signals_win32.cpp.
#pragma once

#include <chrono>

namespace varkon {

// Installs the handlers; on POSIX also ignores SIGPIPE, so that a register that hangs up cannot
// end the service through a write.
void InstallStopHandlers();

bool StopRequested();

// Sleeps until `until` or a stop request, without busy waiting.
void WaitUntil(std::chrono::steady_clock::time_point until);

}  // namespace varkon
