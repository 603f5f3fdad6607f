// The few things besides files that each system does its own way: the local time of day and the
// folder the running program lies in. system_posix.cpp and system_win32.cpp hold them.
#pragma once

#include <ctime>
#include <filesystem>

namespace varkon {

// The local calendar time of `moment`; false when the system cannot tell it.
bool LocalTime(std::time_t moment, std::tm& local);

// The folder of the running program's executable; `argv0` is the fallback where the system
// cannot say, and "." when even that fails.
std::filesystem::path ProgramDirectory(const char* argv0);

}  // namespace varkon
