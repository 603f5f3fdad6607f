// The few things besides files that each system does its own way: the local time of day, the
// program's own command line and the folder the running program lies in. system_posix.cpp and
// system_win32.cpp hold them.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varkon {

// The local calendar time of `moment`; false when the system cannot tell it.
bool LocalTime(std::time_t moment, std::tm& local);

// The program's command line as UTF-8 texts, its own name first; main() passes what it got.
// POSIX hands argv over as it is. Windows gives a narrow main() the texts in the system's code
// page, where a Greek folder name may have no letters (or other ones), so there the UTF-16 command
// line of the process is split instead, the way the C runtime splits it, and argv is not read.
std::vector<std::string> ProgramArguments(int argc, char** argv);

#ifdef _WIN32
// Splits a Windows command line into its texts as the C runtime does (CommandLineToArgvW), each
// converted to UTF-8. ProgramArguments reads the process's own this way.
std::vector<std::string> SplitWindowsCommandLine(std::wstring_view commandLine);
#endif

// The running program's executable file; `invokedAs` (the first of ProgramArguments) is the
// fallback where the system cannot say, and empty when even that fails.
std::filesystem::path ProgramFile(std::string_view invokedAs);

// The folder of ProgramFile; "." when that is not known.
std::filesystem::path ProgramDirectory(std::string_view invokedAs);

// A file path as an argument for another program: a relative name that begins with '-' ("-n.prn")
// would be read as an option, so "./" (".\\" on Windows) is put in front of it; others stay.
std::string PathAsArgument(const std::string& path);

}  // namespace varkon
