// The basic programming run: it places a copy of the register's program file STD.PRG where the
// job loop looks for print files and presses start, so that the job loop sends it to the
// register like any print file. The main window owns the status text and the start action; this
// unit reaches them only through the calls it is given.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "config/param_settings.h"
#include "maintenance/operator_notices.h"

namespace varkon {

struct ProgrammingRunCalls {
    std::function<std::string()> status;                // the status text now (UTF-8)
    std::function<void(const std::string&)> setStatus;  // sets the status text (UTF-8)
    std::function<void()> pressStart;                   // the start action
};

inline const std::filesystem::path kProgramFile = "STD.PRG";
// Told when the register is not on line.
inline constexpr const char* kRegisterNotConnected = "Η ταμειακη δεν ειναι σε συνδεση";

// Where the copy goes (code page 1253): directory + name, with every "*" of the name made "1"
// in numbered mode, or ".1" added to a name without "*".
std::string ProgrammingTarget(const ProgrammingSettings& settings);

// Runs the whole menu action. Returns true when the copy is in place and start was pressed;
// otherwise the operator has been told why not.
bool RunBasicProgramming(OperatorNotices& notices, const ProgrammingRunCalls& calls,
                         const std::filesystem::path& settingsFile = kParamFile,
                         const std::filesystem::path& programFile = kProgramFile);

}  // namespace varkon
