#include "app/engine_core.h"

#include "app/window_texts.h"
#include "config/command_line.h"
#include "config/line_format.h"
#include "config/pacing_delay.h"
#include "greek/cp1253.h"
#include "maintenance/link_messages.h"
#include "platform/files.h"

namespace varkon {
namespace {

std::size_t CodePoints(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// The farewell for a rejected argument string; the run ends after it.
void ShowArgumentsRejected(EngineCore& core) {
    // The farewell says nothing of what was wrong: the status line (varkond's log) does.
    const std::optional<std::string> field = OptionField(core.options().arguments);
    core.showStatus(field ? texts::kOptionFieldShort + ("«" + Cp1253ToUtf8(*field) + "»")
                          : std::string(texts::kOptionFieldMissing));
    Surface& surface = core.surface();
    surface.clearDrawing();
    surface.drawText("");
    const int inner = texts::kFarewellWidth - 2;
    const std::string farewell = texts::kFarewell;
    const int text = static_cast<int>(CodePoints(farewell));
    const int left = (inner - text) / 2;
    surface.drawText("╔" + Repeat("═", inner) + "╗");
    surface.drawText("║" + std::string(static_cast<std::size_t>(left), ' ') + farewell +
                     std::string(static_cast<std::size_t>(inner - text - left), ' ') + "║");
    surface.drawText("╚" + Repeat("═", inner) + "╝");
}

}  // namespace

EngineCore::EngineCore(Surface& surface, std::unique_ptr<SerialPort> port, EngineOptions options)
    : surface_(surface),
      notices_(surface),
      options_(std::move(options)),
      link_(notices_, std::move(port), options_.timings, [this] { return pacingDelay(); }),
      converter_(options_.converter ? options_.converter : std::make_shared<Cnv437869G>()),
      reports_(link_, notices_),
      printer_(link_, *converter_, charset_, notices_),
      jobs_(workFile("varkon.job")) {
    notices_.attachReports(reports_);
    notices_.attachJobRecord(jobs_);
    notices_.watchStop(closeRequested_);
    notices_.attachIntake(options_.intake);
    printer_.vatFile = workFile("vats.dat");
}

std::string EngineCore::inWorkDir(const std::string& path) const {
    if (options_.workDir.empty() || options_.workDir == ".") return path;
    const std::filesystem::path fsPath = ToFsPath(path);
    if (fsPath.has_root_directory() || fsPath.has_root_name()) return path;
    return FromFsPath(options_.workDir / fsPath);
}

bool EngineCore::lockWorkFolder() {
    if (folderLock_.acquire(workFile("varkon.lock"))) return true;
    notices_.showMessage(texts::kAlreadyRunning, kMsgCritical);
    endRun(kExitAlreadyRunning);
    return false;
}

bool EngineCore::readStartupSettings(ParamSettings& settings) {
    if (oneShot()) {
        if (ReadCommandLineSettings(options_.arguments, settings) == 0) return true;
        ShowArgumentsRejected(*this);
        endRun(kExitArgumentsRejected);
        return false;
    }
    settings.port = portName_;
    settings.baud = baud_;
    if (ReadSettings(settings, workFile("param.ini")) != 0) {
        notices_.showMessage(texts::kSettingsUnreadable, kMsgCritical);
        endRun(kExitSettingsUnreadable);
        return false;
    }
    if (TrimBlanks(settings.port).empty()) {
        // An empty or binary file: the port's own message would name no port at all.
        notices_.showMessage(texts::kSettingsHoldNoPort, kMsgCritical);
        if (options_.unattended) {
            endRun(kExitPortNotOpened);  // nobody can mend it; a service manager may retry
        } else {
            settingsWanted_ = true;  // the operator mends it in the settings dialog
        }
        return false;
    }
    lastSettings_ = settings;
    return true;
}

bool EngineCore::readTickSettings(ParamSettings& settings) {
    if (oneShot()) {
        if (ReadCommandLineSettings(options_.arguments, settings) != 0) {
            ShowArgumentsRejected(*this);
            endRun(kExitArgumentsRejected);
            return false;
        }
    } else {
        settings.port = portName_;
        settings.baud = baud_;
        if (ReadSettings(settings, workFile("param.ini")) == 0) {
            lastSettings_ = settings;
        } else {
            settings = lastSettings_;  // the file is being replaced or is gone: go on as before
        }
    }
    portName_ = settings.port;
    baud_ = settings.baud;
    return true;
}

void EngineCore::takeStartupSettings(const ParamSettings& settings) {
    portName_ = settings.port;
    baud_ = settings.baud;
    if (settings.autoStart) autoStart_ = true;
}

void EngineCore::openPortIfClosed() {
    if (link_.portState() == PortState::kClosed) openPort(false);
}

PortOpening EngineCore::openPort(bool quiet) {
    const PortOpening outcome = link_.open(portName_, LineFormatForSpeed(baud_));
    if (!quiet) TellOpenOutcome(notices_, outcome, portName_);
    return outcome;
}

std::chrono::milliseconds EngineCore::pacingDelay() const {
    return ReadPacingDelay(options_.workDir, options_.programDir);
}

void EngineCore::endRun(int code) {
    finished_ = true;
    exitCode_ = code;
    jobTimer_.enabled = false;
    watchdogTimer_.enabled = false;
}

void EngineCore::closePortAndEnd(int code) {
    if (finished_) return;
    link_.close();
    endRun(code);
}

}  // namespace varkon
