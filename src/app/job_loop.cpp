#include "app/job_loop.h"

#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

#include "app/print_jobs.h"
#include "app/window_texts.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;

// Error numbers of the print file, as the host application's error list (error.lst) knows them.
constexpr int kErrFileNotFound = 53;
constexpr int kErrCannotRead = 75;

constexpr std::chrono::milliseconds kMarkerPoll{50};

// The counter's number: the leading digits of its text; a text without them counts as 0.
long long CounterValue(const std::string& text) {
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 100000000000000LL) break;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

JobLoop::JobLoop(EngineCore& core, Launcher& launcher, Actions& actions)
    : core_(core),
      launcher_(launcher),
      actions_(actions),
      printFiles_(core.options.printFileSettle) {}

void JobLoop::onJobTick() {
    launcher_.reap();

    core_.surface.setProgress(0.001);
    ParamSettings settings;
    if (!core_.readTickSettings(settings)) return;
    core_.surface.repaint();
    settings.location = core_.inWorkDir(settings.location);

    switch (FileModeOf(settings)) {
        case FileMode::kSingleFile:
            singleFileJob(settings);
            return;
        case FileMode::kNumberedFiles:
            numberedFileJob(settings);
            break;
        case FileMode::kNone:
            break;
    }
    // End of tick: the port stays free between jobs, unless the stop action has just opened it
    // for the reports.
    if (!core_.finished && core_.jobTimer.enabled) core_.link.ClosePort();
}

void JobLoop::showJobError(int error, const std::string& description) {
    core_.notices.showMessage(texts::kJobError + std::to_string(error) + "\r" + description,
                              kMsgCritical);
}

void JobLoop::singleFileJob(const ParamSettings& settings) {
    const std::string path = settings.location + settings.file;
    const PrintFileState state = printFiles_.check(path);
    if (state == PrintFileState::kBeingWritten) return;  // a later tick takes it

    std::ofstream receipt(core_.workFile("receipt.txt"), std::ios::binary | std::ios::trunc);
    // The host application would read an earlier outcome as this one's.
    if (!receipt) core_.notices.showMessage(texts::kReceiptNotWritten, kMsgExclamation);
    std::ofstream journal(core_.workFile("journal.txt"), std::ios::binary | std::ios::app);
    if (state != PrintFileState::kReady) {
        // The one file of this run cannot be had: say so and end, leaving whatever is there.
        const bool missing = state == PrintFileState::kMissing;
        showJobError(missing ? kErrFileNotFound : kErrCannotRead,
                     (missing ? texts::kPrintFileMissing : texts::kPrintFileUnreadable) +
                         Cp1253ToUtf8(path));
        core_.link.ClosePort();
        core_.endNow(kExitJobFailed);
        return;
    }
    if (!runConverter(settings, path)) return;

    const std::optional<FileIdentity> read = IdentifyFile(path);
    const GetDataResult result = core_.printer.getdata(path, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        showJobError(result.error, result.description);
        core_.link.ClosePort();
        core_.endNow(kExitJobFailed);
        return;
    }
    raiseReceiptCounter();
    if (!EndsWithPrg(path)) deletePrintFile(path, read);
    if (core_.finished) return;
    core_.link.ClosePort();
    core_.endNow(kExitNormal);
}

void JobLoop::numberedFileJob(ParamSettings settings) {
    // A file still being written, or one that does not open, is left for a later tick: not
    // read, not counted, not deleted.
    const std::string path = FindPrintJob(settings);
    if (path.empty() || printFiles_.check(path) != PrintFileState::kReady) return;
    settings.file = path;

    std::ofstream journal(core_.workFile("journal.txt"), std::ios::binary | std::ios::app);
    // An unplugged adapter is told once, not at every tick until it is back.
    if (core_.link.PortHandle() == 0) {
        core_.link.OpenPort(core_.portName, core_.baud, core_.ecrErrorText, portLost_);
    }
    portLost_ = core_.link.PortHandle() == -1;
    std::ofstream receipt(core_.workFile("receipt.txt"), std::ios::binary | std::ios::trunc);
    // Nothing of the receipt could reach the register: it waits, unread, for the port.
    if (portLost_) return;
    if (!runConverter(settings, path)) return;

    core_.notices.clearMessageShown();
    const std::optional<FileIdentity> read = IdentifyFile(path);
    const GetDataResult result = core_.printer.getdata(path, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        // The file could not be read to its end: it stays for a later tick, and the host
        // application reads -1.
        showJobError(result.error, result.description);
    }
    const std::string count = raiseReceiptCounter();
    receipt << (core_.notices.messageShown() ? std::string("-1") : Utf8ToCp1253(count)) << "\r\n";
    receipt.flush();
    // The receipt is printed and counted all the same: printing it again would sell it twice.
    if (!receipt) core_.notices.showMessage(texts::kReceiptNotWritten, kMsgExclamation);
    if (result.error == 0) deletePrintFile(path, read);
    if (core_.finished) return;
    journal.close();
    receipt.close();
    if (!core_.jobTimer.enabled) return;  // the operator gave up the deletion: stop has run
    core_.showStatus(texts::kWaiting);
    core_.showCaption(texts::kCaptionWaiting);
}

bool JobLoop::runConverter(const ParamSettings& settings, const std::string& path) {
    const fs::path endMarker = core_.workFile("end.txt");
    std::error_code ignored;
    fs::remove(endMarker, ignored);
    std::vector<std::string> command = SplitCommand(settings.convert2);
    if (command.empty()) return true;

    const std::string program = command.front();
    std::vector<std::string> arguments(command.begin() + 1, command.end());
    arguments.push_back(path);
    if (!launcher_.start(program, arguments, true)) {
        core_.notices.showMessage(texts::kConverterNotStarted + Cp1253ToUtf8(settings.convert2) +
                                      "\r" + texts::kJobLaterAgain,
                                  kMsgExclamation);
        return false;
    }
    const std::string marker = FromFsPath(endMarker);
    const auto deadline = std::chrono::steady_clock::now() + core_.options.converterWait;
    while (FileLength(marker) == 0) {
        if (core_.closeRequested) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            core_.notices.showMessage(
                std::string(texts::kConverterNoMarker) + "\r" + texts::kJobLaterAgain,
                kMsgExclamation);
            return false;
        }
        core_.surface.repaint();
        std::this_thread::sleep_for(kMarkerPoll);
    }
    return true;
}

std::string JobLoop::raiseReceiptCounter() {
    core_.receiptCount = std::to_string(CounterValue(core_.receiptCount) + 1);
    core_.surface.setText(Control::kReceiptCounter, core_.receiptCount);
    return core_.receiptCount;
}

void JobLoop::deletePrintFile(const std::string& path, const std::optional<FileIdentity>& read) {
    // The host application may have taken the file back while it was read and written its next
    // receipt under the same name: that one has not been read, and stays.
    if (IdentifyFile(path) != read) return;
    DeleteFileWithRetry(
        path, core_.notices, [this] { actions_.stopPrinting(); },
        core_.options.timings.deleteRetryPeriod);
}

void JobLoop::printOneShotFile(const ParamSettings& settings) {
    const std::string file = core_.inWorkDir(settings.file);
    const std::optional<FileIdentity> read = IdentifyFile(file);
    const GetDataResult result = core_.printer.getdata(file, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        showJobError(result.error, result.description);
        core_.closeWindow(kExitJobFailed);
        return;
    }
    deletePrintFile(file, read);
    core_.closeWindow(kExitNormal);
}

}  // namespace varkon
