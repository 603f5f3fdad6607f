#include "service/varkond_options.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace varkon {
namespace {

using Kind = VarkondCommand::Kind;

VarkondCommand Rejected(std::string error) {
    VarkondCommand command;
    command.kind = Kind::kRejected;
    command.error = std::move(error);
    return command;
}

}  // namespace

VarkondCommand ReadVarkondArguments(const std::vector<std::string>& arguments) {
    VarkondCommand command;
    if (arguments.empty() || !arguments[0].starts_with("--")) {
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (i > 0) command.arguments += ' ';
            command.arguments += arguments[i];
        }
        return command;
    }
    const std::string& option = arguments[0];
    // Each option takes a fixed number of values and nothing after them.
    auto takes = [&](std::size_t values) -> bool { return arguments.size() == values + 1; };
    auto wrongCount = [&](const char* form) { return Rejected(option + " takes " + form); };
    if (option == "--help") {
        command.kind = Kind::kHelp;
    } else if (option == "--version") {
        command.kind = Kind::kVersion;
    } else if (option == "--http-token") {
        command.kind = Kind::kHttpToken;
    } else if (option == "--report") {
        if (!takes(1)) return wrongCount("one report: x, x-period, z or z-period");
        command.kind = Kind::kReport;
        if (const std::optional<Report> report = ReportOfShortName(arguments[1])) {
            command.report = *report;
            return command;
        }
        return Rejected("unknown report '" + arguments[1] + "': x, x-period, z or z-period");
    } else if (option == "--program") {
        if (!takes(1) || arguments[1].empty()) return wrongCount("one program file");
        command.kind = Kind::kProgram;
        command.file = arguments[1];
    } else if (option == "--install-service" || option == "--service") {
        if (!takes(2) || arguments[1].empty() || arguments[2].empty()) {
            return wrongCount("a service name and a work folder");
        }
        command.kind = option == "--service" ? Kind::kService : Kind::kInstallService;
        command.name = arguments[1];
        command.folder = arguments[2];
    } else if (option == "--remove-service") {
        if (!takes(1) || arguments[1].empty()) return wrongCount("a service name");
        command.kind = Kind::kRemoveService;
        command.name = arguments[1];
    } else {
        return Rejected("unknown option " + option);
    }
    if ((command.kind == Kind::kHelp || command.kind == Kind::kVersion ||
         command.kind == Kind::kHttpToken) &&
        !takes(0)) {
        return wrongCount("nothing after it");
    }
    return command;
}

std::string VarkondHelp() {
    return "Usage: varkond [ARGUMENT STRING]\n"
           "       varkond --report x|x-period|z|z-period\n"
           "       varkond --program FILE\n"
           "       varkond --install-service NAME FOLDER | --remove-service NAME   (Windows)\n"
           "       varkond --http-token\n"
           "       varkond --help | --version\n"
           "\n"
           "Prints the host application's receipts on the cash register, without a window.\n"
           "Without arguments it reads param.ini in the working folder and prints every print\n"
           "file that appears, until it is stopped (SIGTERM, Ctrl+C). With the host\n"
           "application's argument string (PORT,BAUD,FILE,DELAY,REGISTER,OPTIONS) it prints\n"
           "that one file and ends.\n"
           "\n"
           "  --report KIND     runs one report of the register with param.ini's port: x (X\n"
           "                    financial), x-period, z (daily Z) or z-period; it waits while\n"
           "                    another program sends a receipt on the port\n"
           "  --program FILE    sends a program file (as STD.PRG) to the register, the same way\n"
           "  --install-service NAME FOLDER\n"
           "                    registers a Windows service 'varkond-NAME' that prints the\n"
           "                    receipts of FOLDER, started with Windows\n"
           "  --remove-service NAME\n"
           "                    stops and removes that service\n"
           "  --http-token      shows the token of the HTTP interface ([http] in param.ini),\n"
           "                    making it first (http.token, readable by this user only)\n"
           "  --help            shows this text\n"
           "  --version         shows the version\n"
           "\n"
           "Messages go to standard error (a service's to varkond.log in its folder). The exit\n"
           "status is 0 when all went well; README.md lists the others.\n";
}

std::string VarkondVersion() {
    return std::string("varkond (Varkon) ") + VARKON_VERSION + "\n";
}

}  // namespace varkon
