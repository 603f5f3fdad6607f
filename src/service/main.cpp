// varkond: the engine of the main window without a window, for a service on a point-of-sale box.
// It takes the same argument string as the desktop program (all arguments joined with blanks;
// none: param.ini in the working directory), logs everything the window would show to standard
// error, starts printing as soon as the register answers, and ends with one of the engine's
// exit statuses. SIGTERM and SIGINT close it as the window's close box would. Options (--help
// lists them) run one report or program file instead, or register it as a Windows service.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_runs.h"
#include "app/engine_core.h"
#include "app/varkon.h"
#include "config/http_settings.h"
#include "greek/cp1253.h"
#include "http/handed_in_receipts.h"
#include "http/http_api.h"
#include "http/http_token.h"
#include "http/progress_surface.h"
#include "link/serial_port.h"
#include "platform/launcher.h"
#include "platform/system.h"
#include "service/log_surface.h"
#include "service/logging_serial_port.h"
#include "service/rotating_log.h"
#include "service/stop_signals.h"
#include "service/varkond_options.h"
#include "service/windows_service.h"

namespace varkon {
namespace {

using Clock = std::chrono::steady_clock;

LinkTimings Timings() {
    LinkTimings timings;
    // For the test suite only: a register that never answers costs seconds instead of a minute.
    // Not for production use.
    const char* testTimings = std::getenv("VARKON_TEST_TIMINGS");
    if (testTimings != nullptr && std::string_view(testTimings) == "fast") {
        timings.replyWindow = std::chrono::milliseconds(300);
        timings.reportReplyWindow = std::chrono::milliseconds(5000);
        timings.deleteRetryPeriod = std::chrono::milliseconds(2000);
    }
    return timings;
}

// ---- The event loop of the two timers

class TimerSchedule {
  public:
    // Arms a timer that has just been switched on, disarms one switched off.
    void follow(const TimerState& timer, Clock::time_point now) {
        if (!timer.enabled) {
            armed_ = false;
        } else if (!armed_) {
            due_ = now + std::chrono::milliseconds(timer.interval > 0 ? timer.interval : 1);
            armed_ = true;
        }
    }
    bool armed() const { return armed_; }
    Clock::time_point due() const { return due_; }
    // The tick runs now; the next falls due one interval after this one has ended.
    void fired() { armed_ = false; }

  private:
    bool armed_ = false;
    Clock::time_point due_{};
};

int RunEventLoop(Varkon& engine, HandedInReceipts* handedIn) {
    TimerSchedule job, watchdog;
    while (!engine.finished()) {
        if (StopRequested()) {
            engine.close();
            break;
        }
        auto now = Clock::now();
        job.follow(engine.jobTimer(), now);
        watchdog.follow(engine.watchdogTimer(), now);
        Clock::time_point next = now + std::chrono::seconds(1);
        if (job.armed() && job.due() < next) next = job.due();
        if (watchdog.armed() && watchdog.due() < next) next = watchdog.due();
        // The print-file folder wakes the loop the moment a file is written, the HTTP interface
        // the moment a receipt or a report is handed in.
        const int woken = WaitUntil(next, engine.folderWaitHandle(),
                                    handedIn != nullptr ? handedIn->waitHandle() : -1);
        if (woken != 0) {
            if (woken == 2) handedIn->takeWake();
            // After a look the next regular one comes an interval after it ends.
            const bool looked = woken == 1 ? engine.onFolderChanged() : engine.onHandedIn();
            if (!StopRequested() && looked) job.fired();
            continue;
        }
        if (StopRequested()) continue;

        now = Clock::now();
        if (watchdog.armed() && now >= watchdog.due() && engine.watchdogTimer().enabled) {
            watchdog.fired();
            engine.onWatchdogTick();
        }
        now = Clock::now();
        if (!engine.finished() && job.armed() && now >= job.due() && engine.jobTimer().enabled) {
            job.fired();
            engine.onJobTick();
        }
    }
    return engine.exitCode();
}

// The HTTP interface of param.ini's [http] line, when there is one: the handed-in receipts, and
// the server once the engine is there to print them.
struct HttpFrontEnd {
    explicit HttpFrontEnd(const HttpSettings& settings)
        : settings(settings), receipts(std::filesystem::path("http-receipts")) {}
    HttpSettings settings;
    HandedInReceipts receipts;
    std::unique_ptr<HttpApi> api;
};

// Prints receipts: the host's argument string, or param.ini and every print file until stopped.
int RunReceipts(const std::string& arguments, const std::filesystem::path& programDir,
                std::ostream& out) {
    LogSurface log(out);
    auto launcher = MakeLauncher();
    EngineOptions options;
    options.arguments = Utf8ToCp1253(arguments);
    options.programDir = programDir;
    options.timings = Timings();
    options.unattended = true;
    auto port = std::make_unique<LoggingSerialPort>(MakeSerialPort(options.timings), log);

    // Only a run of param.ini serves HTTP; the host's one receipt is all a one-shot run does.
    std::unique_ptr<HttpFrontEnd> http;
    std::unique_ptr<ProgressSurface> progress;
    if (arguments.empty()) {
        const HttpSettings settings = ReadHttpSettings(options.workDir / kParamFile);
        if (!settings.error.empty()) log.log("http", settings.error);
        if (settings.enabled) {
            http = std::make_unique<HttpFrontEnd>(settings);
            if (!http->receipts.open()) {
                log.log("http", "Ο φάκελος http-receipts δεν γράφεται: η διεπαφή HTTP δεν ξεκινά.");
                http.reset();
            }
        }
    }
    if (http) {
        progress = std::make_unique<ProgressSurface>(log, http->receipts);
        options.intake = &http->receipts;
    }
    Surface& surface = progress ? static_cast<Surface&>(*progress) : log;

    Varkon engine(surface, *launcher, std::move(port), options);
    log.stopRequested = [] { return StopRequested(); };
    log.onStop = [&engine] { engine.requestClose(); };

    log.log("varkond", std::string("start ") + VARKON_VERSION +
                           (arguments.empty() ? std::string(", param.ini") : ", " + arguments));
    engine.load();
    if (http && !engine.finished()) {
        std::string error;
        const std::string token = ReadOrMakeHttpToken(options.workDir / kHttpTokenFile, error);
        if (!token.empty()) {
            http->api =
                std::make_unique<HttpApi>(http->receipts, http->settings, token, VARKON_VERSION);
            if (http->api->start(error)) {
                log.log("http", "http://" + http->settings.address + ":" +
                                    std::to_string(http->settings.port));
            } else {
                http->api.reset();
            }
        }
        if (!error.empty()) log.log("http", error);
    }
    const int status = RunEventLoop(engine, http ? &http->receipts : nullptr);
    if (http) {
        http->receipts.shutDown();
        if (http->api) http->api->stop();
    }
    log.log("varkond", "end, status " + std::to_string(status));
    return status;
}

// The token of the HTTP interface, made first when there is none.
int ShowHttpToken() {
    std::string error;
    const std::string token = ReadOrMakeHttpToken(kHttpTokenFile, error);
    if (token.empty()) {
        std::cerr << "varkond: " << error << "\n";
        return kExitSettingsUnreadable;
    }
    std::cout << token << "\n";
    return kExitNormal;
}

// One report or one program file, with the port of param.ini in the working folder.
int RunCommand(const VarkondCommand& command, const std::filesystem::path& programDir) {
    LogSurface log(std::cerr);
    log.stopRequested = [] { return StopRequested(); };
    CommandRunOptions options;
    options.programDir = programDir;
    options.timings = Timings();
    options.sleepUntil = [](Clock::time_point until) { WaitUntil(until); };
    options.stopRequested = [] { return StopRequested(); };
    auto port = std::make_unique<LoggingSerialPort>(MakeSerialPort(options.timings), log);
    const int status =
        command.kind == VarkondCommand::Kind::kReport
            ? RunReportCommand(log, std::move(port), command.report, options)
            : RunProgramCommand(log, std::move(port), Utf8ToCp1253(command.file), options);
    log.log("varkond", "end, status " + std::to_string(status));
    return status;
}

}  // namespace
}  // namespace varkon

int main(int argc, char** argv) {
    using namespace varkon;
    using Kind = VarkondCommand::Kind;
    // UTF-8 texts from here on: on Windows they come from the UTF-16 command line, not argv.
    const std::vector<std::string> commandLine = ProgramArguments(argc, argv);
    const std::string invokedAs = commandLine.empty() ? std::string() : commandLine.front();
    const VarkondCommand command = ReadVarkondArguments(
        commandLine.empty() ? std::vector<std::string>()
                            : std::vector<std::string>(commandLine.begin() + 1, commandLine.end()));
    const std::filesystem::path programDir = ProgramDirectory(invokedAs);
    switch (command.kind) {
        case Kind::kHelp:
            std::cout << VarkondHelp();
            return kExitNormal;
        case Kind::kVersion:
            std::cout << VarkondVersion();
            return kExitNormal;
        case Kind::kHttpToken:
            return ShowHttpToken();
        case Kind::kRejected:
            std::cerr << "varkond: " << command.error << "\nTry 'varkond --help'.\n";
            return kExitArgumentsRejected;
        case Kind::kInstallService:
            return InstallService(command.name, command.folder, std::cout);
        case Kind::kRemoveService:
            return RemoveService(command.name, std::cout);
        case Kind::kService:
            InstallStopHandlers();
            // Nobody reads a service's standard error: its log is a file in its folder.
            return RunAsService(
                command.name, command.folder,
                [&] {
                    RotatingLog log("varkond.log");  // bounded: it runs for years
                    return RunReceipts({}, programDir, log);
                },
                std::cerr);
        case Kind::kReport:
        case Kind::kProgram:
            InstallStopHandlers();
            return RunCommand(command, programDir);
        case Kind::kRun:
            break;
    }
    InstallStopHandlers();
    return RunReceipts(command.arguments, programDir, std::cerr);
}
