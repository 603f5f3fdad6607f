// How varkond hears that it must stop (SIGTERM, SIGINT and SIGHUP on POSIX, the console's close and
// Ctrl+C on Windows) and how it sleeps until its next timer falls due without missing one. A
// signal can only reach the program through process-wide state: this unit owns it, a flag and on
// POSIX a pipe that wakes the sleep at once. stop_signals_posix.cpp and stop_signals_win32.cpp.
#pragma once

#include <chrono>
#include <cstdint>

namespace varkon {

// Installs the handlers; on POSIX also ignores SIGPIPE, so that a register that hangs up cannot
// end the service through a write.
void InstallStopHandlers();

bool StopRequested();

// A stop asked for by the program itself (the Windows service manager's stop), the same as a
// signal's.
void RequestStop();

// Sleeps until `until`, a stop request, or `wake` or `otherWake` firing (a descriptor turning
// readable on POSIX, an event signalled on Windows; -1 for none), without busy waiting. 1 when
// `wake` fired, 2 when `otherWake` did, 0 otherwise.
int WaitUntil(std::chrono::steady_clock::time_point until, std::intptr_t wake = -1,
              std::intptr_t otherWake = -1);

}  // namespace varkon
