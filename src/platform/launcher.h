// Launcher: starts another program without waiting for it, with an argument vector and never
// through a shell, so no file name can ever be read as shell syntax. The converter command,
// "cop2fis.bat" and the help text are started through it; launcher_posix.cpp and
// launcher_win32.cpp hold the system's own.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace varkon {

class Launcher {
  public:
    virtual ~Launcher() = default;
    // program and arguments are code page 1253 texts. Returns false when it could not start.
    // A program named without a directory is looked for in the working directory first, then
    // along the search path, as Windows does.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments,
                       bool minimized) = 0;
    // Collects the programs started earlier that have ended, without waiting for any that still
    // run. The engine calls it at every job tick; a launcher with nothing to collect ignores it.
    virtual void reap() {}
    // Ends the program last started by start(), with every process it started in turn, if it
    // still runs (POSIX: its own process group, killed; Windows: a job object, terminated). For a
    // converter that runs past its wait. Does nothing when nothing runs.
    virtual void stopLastStarted() {}
};

// The platform's launcher (posix_spawn on POSIX, CreateProcess on Windows).
std::unique_ptr<Launcher> MakeLauncher();

// The system's text editor, which shows the help text: notepad on Windows, xdg-open elsewhere.
std::string TextEditorProgram();

// Splits a command at blanks into program and arguments ("conv /q" -> "conv", {"/q"}).
std::vector<std::string> SplitCommand(const std::string& command);

}  // namespace varkon
