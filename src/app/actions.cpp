#include "app/actions.h"

#include <string_view>

#include "app/window_texts.h"
#include "greek/cp1253.h"
#include "maintenance/programming_run.h"
#include "platform/files.h"

namespace varkon {
namespace {

constexpr int kJobInterval = 1000;

constexpr const char* kStartCommand = "cop2fis.bat";
constexpr const char* kErrorList = "error.lst";
constexpr const char* kHelpFile = "varkon.txt";

// A number read the lenient way of the error list: blanks skipped, an optional sign, digits.
int ListedNumber(std::string_view field) {
    int sign = 1, n = 0;
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) sign = field[i++] == '-' ? -1 : 1;
    for (; i < field.size(); ++i) {
        if (field[i] == ' ') continue;
        if (field[i] < '0' || field[i] > '9') break;
        n = n * 10 + (field[i] - '0');
    }
    return sign * n;
}

}  // namespace

void Actions::startPrinting() {
    if (core_.finished()) return;
    Surface& surface = core_.surface();
    if (!core_.oneShot()) core_.setJobInterval(kJobInterval);
    core_.startJobTimer();
    surface.setEnabled(Control::kStartButton, false);
    surface.setEnabled(Control::kStopButton, true);
    if (core_.oneShot() && core_.options().arguments.back() == '`') {
        // A missing cop2fis.bat is this action's failure "file not found"; one that is there
        // but cannot be started (no permission, no access) does not stop the action.
        const std::string command = core_.inWorkDir(kStartCommand);
        if (!FileExists(command)) {
            startActionFailed(kErrFileNotFound);
            return;
        }
        launcher_.start(command, {}, true);
    }
    core_.showStatus(texts::kWaiting);
    core_.showCaption(texts::kCaptionWaiting);
    surface.setEnabled(Control::kReportsMenu, false);
    surface.setEnabled(Control::kSettingsMenu, false);
}

void Actions::startActionFailed(int number) {
    Surface& surface = core_.surface();
    surface.clearDrawing();
    surface.drawText(std::to_string(number));
    const std::string list = ReadWholeFile(core_.inWorkDir(kErrorList));
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = list.find('\n', begin);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && ListedNumber(std::string_view(line).substr(1, 2)) == number) {
            surface.drawText(Cp1253ToUtf8(line));
        }
        begin = end + 1;
    }
    core_.endRun(kExitJobFailed);
}

void Actions::stopPrinting() {
    if (core_.finished()) return;
    Surface& surface = core_.surface();
    core_.stopJobTimer();
    core_.openPortIfClosed();  // the reports need the port
    surface.setEnabled(Control::kStopButton, false);
    surface.setEnabled(Control::kStartButton, true);
    core_.showStatus(texts::kStopped);
    core_.showCaption(texts::kCaptionStopped);
    surface.setEnabled(Control::kReportsMenu, true);
    surface.setEnabled(Control::kSettingsMenu, true);
}

void Actions::endProgram() {
    if (core_.finished()) return;
    if (!core_.waitsForSettings()) {  // without settings there is no port to say goodbye on
        core_.openPortIfClosed();
        (void)core_.link().send("KX794ST");  // no answer is awaited
        core_.link().close();
    }
    core_.closePortAndEnd(kExitNormal);
}

void Actions::openSettings() {
    if (core_.finished()) return;
    core_.stopWatchdog();
    core_.surface().setVisible(Window::kSettings, true);
}

void Actions::settingsClosed() {
    if (core_.finished()) return;
    if (core_.waitsForSettings()) {
        // Nothing to search with yet: the window says why, and the operator may open the
        // dialog again or end the program.
        core_.showStatus(texts::kSettingsHoldNoPort);
        core_.showCaption(texts::kCaptionOffline);
        core_.surface().setVisible(Window::kMain, true);
        return;
    }
    core_.startWatchdog();
}

void Actions::askForSettings() {
    Surface& surface = core_.surface();
    core_.stopJobTimer();
    surface.setEnabled(Control::kStartButton, false);
    surface.setEnabled(Control::kStopButton, false);
    surface.setEnabled(Control::kReportsMenu, false);
    surface.setVisible(Window::kMain, false);
    openSettings();
}

void Actions::settingsSaved() {
    core_.closePortAndEnd(kExitNormal);
}

void Actions::showHelp() {
    if (!launcher_.start(TextEditorProgram(), {core_.inWorkDir(kHelpFile)}, false)) {
        core_.notices().showMessage(texts::kHelpNotOpened, kMsgExclamation);
    }
}

void Actions::runBasicProgramming() {
    if (core_.finished()) return;
    ProgrammingRunCalls calls;
    calls.status = [this] { return core_.notices().status(); };
    calls.setStatus = [this](const std::string& text) { core_.showStatus(text); };
    calls.pressStart = [this] { startPrinting(); };
    RunBasicProgramming(core_.notices(), calls, core_.workFile("param.ini"),
                        core_.workFile("STD.PRG"));
}

void Actions::runReport(Report report) {
    core_.reports().run(report);
}

}  // namespace varkon
