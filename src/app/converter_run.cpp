#include "app/converter_run.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "app/window_texts.h"
#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/system.h"

namespace varkon {
namespace {

// A wait for the converter's end marker still wakes this often, so that the window paints and a
// stop is heard; the folder watch wakes it at once when end.txt is written.
constexpr std::chrono::milliseconds kWaitSlice{100};

}  // namespace

bool ConverterRun::convert(const std::string& commandText, const std::string& path) {
    const std::filesystem::path endMarker = core_.workFile("end.txt");
    std::error_code ignored;
    std::filesystem::remove(endMarker, ignored);
    std::vector<std::string> command = SplitCommand(commandText);
    if (command.empty()) return true;

    const std::string program = command.front();
    std::vector<std::string> arguments(command.begin() + 1, command.end());
    arguments.push_back(PathAsArgument(path));
    if (!launcher_.start(program, arguments, true)) {
        // Tried again at every tick: said once, until the command or its fate changes.
        if (std::exchange(refused_, commandText) != commandText) {
            core_.notices().showMessage(texts::kConverterNotStarted + Cp1253ToUtf8(commandText) +
                                            "\r" + texts::kJobLaterAgain,
                                        kMsgExclamation);
        }
        return false;
    }
    refused_.clear();
    const std::string marker = FromFsPath(endMarker);
    const auto deadline = std::chrono::steady_clock::now() + core_.options().converterWait;
    FolderWatch markerWatch;  // wakes the wait the moment end.txt is written
    markerWatch.watch(core_.options().workDir);
    while (FileLength(marker) == 0) {
        // A converter that does not finish is ended, with whatever it started: the next try
        // starts a fresh one.
        if (core_.closeRequested()) {
            launcher_.stopLastStarted();
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            launcher_.stopLastStarted();
            core_.notices().showMessage(
                std::string(texts::kConverterNoMarker) + "\r" + texts::kJobLaterAgain,
                kMsgExclamation);
            return false;
        }
        core_.surface().repaint();
        markerWatch.waitUntil(std::min(deadline, std::chrono::steady_clock::now() + kWaitSlice));
        markerWatch.take();
    }
    return true;
}

}  // namespace varkon
