// What varkond is asked to do. Arguments that do not begin with "--" are the host application's
// argument string (joined with blanks), as before any option existed; none at all: param.ini in
// the working folder.
#pragma once

#include <string>
#include <vector>

#include "maintenance/reports.h"

namespace varkon {

struct VarkondCommand {
    enum class Kind {
        kRun,             // print receipts (the argument string, or param.ini)
        kHelp,            // --help
        kVersion,         // --version
        kReport,          // --report x|x-period|z|z-period
        kProgram,         // --program FILE
        kInstallService,  // --install-service NAME FOLDER   (Windows)
        kRemoveService,   // --remove-service NAME           (Windows)
        kService,         // --service NAME FOLDER: how the service manager starts it (Windows)
        kHttpToken,       // --http-token: shows the HTTP interface's token, made if need be
        kRejected,        // not understood: `error` says why
    };
    Kind kind = Kind::kRun;
    std::string arguments;  // kRun: the argument string (UTF-8)
    Report report = Report::kXFinancial;
    std::string file;    // kProgram (UTF-8)
    std::string name;    // the service's name
    std::string folder;  // the service's work folder (UTF-8)
    std::string error;   // kRejected
};

VarkondCommand ReadVarkondArguments(const std::vector<std::string>& arguments);

// The text of --help and of --version.
std::string VarkondHelp();
std::string VarkondVersion();

}  // namespace varkon
