#include "app/command_runs.h"

#include <utility>

#include "app/engine_core.h"
#include "app/engine_notices.h"
#include "app/job_record.h"
#include "app/window_texts.h"
#include "config/line_format.h"
#include "config/pacing_delay.h"
#include "config/param_settings.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"
#include "greek/register_charset.h"
#include "greek/text_converter.h"
#include "link/register_link.h"
#include "maintenance/link_messages.h"
#include "maintenance/programming_run.h"
#include "platform/files.h"
#include "receipt/receipt_printer.h"

namespace varkon {
namespace {

using Clock = std::chrono::steady_clock;

// What every command run has: the settings, the link, the notices through the surface.
class CommandRun {
  public:
    CommandRun(Surface& surface, std::unique_ptr<SerialPort> port, const CommandRunOptions& options)
        : options_(options),
          notices_(surface),
          link_(notices_, std::move(port), options.timings,
                [&options] { return ReadPacingDelay(options.workDir, options.programDir); }) {}

    EngineNotices& notices() { return notices_; }
    RegisterLink& link() { return link_; }
    const ParamSettings& settings() const { return settings_; }
    std::filesystem::path workFile(const char* name) const { return options_.workDir / name; }

    // param.ini, then the port once no other program holds it, then a look at the folder's
    // record: kExitNormal when the run may send.
    int begin() {
        if (ReadSettings(settings_, workFile("param.ini")) != 0) {
            notices_.showMessage(texts::kSettingsUnreadable, kMsgCritical);
            return kExitSettingsUnreadable;
        }
        if (!openPortWhenFree()) return kExitPortNotOpened;
        JobRecord record(workFile("varkon.job"));
        record.read();
        if (const RecordedJob* unfinished = record.unfinished()) {
            notices_.showMessage(texts::kUnfinishedReceiptHolds + Cp1253ToUtf8(unfinished->path),
                                 kMsgCritical);
            return kExitJobFailed;
        }
        return kExitNormal;
    }

    // The outcome of the last command as an exit status.
    static int linkStatus(const ExchangeResult& result) {
        if (result.ok()) return kExitNormal;
        if (result.status == ExchangeStatus::kNoAnswer) return kExitRegisterNotFound;
        return kExitJobFailed;
    }

    ~CommandRun() { link_.close(); }

  private:
    bool stopRequested() const { return options_.stopRequested && options_.stopRequested(); }

    bool openPortWhenFree() {
        const auto giveUp = Clock::now() + options_.portWait;
        bool told = false;
        for (;;) {
            const PortOpening outcome =
                link_.open(settings_.port, LineFormatForSpeed(settings_.baud));
            if (outcome == PortOpening::kOpened) return true;
            link_.close();
            const auto now = Clock::now();
            if (outcome != PortOpening::kBusy || now >= giveUp || stopRequested()) break;
            if (!told) {
                notices_.showStatus(texts::kPortBusyWaiting + Cp1253ToUtf8(settings_.port));
                told = true;
            }
            options_.sleepUntil(std::min(giveUp, now + options_.portRetry));
        }
        // Once more aloud: the operator reads why in the open's own message.
        TellOpenOutcome(notices_, link_.open(settings_.port, LineFormatForSpeed(settings_.baud)),
                        settings_.port);
        return false;
    }

    const CommandRunOptions& options_;
    EngineNotices notices_;
    RegisterLink link_;
    ParamSettings settings_;
};

}  // namespace

int RunReportCommand(Surface& surface, std::unique_ptr<SerialPort> port, Report report,
                     const CommandRunOptions& options) {
    CommandRun run(surface, std::move(port), options);
    if (const int status = run.begin(); status != kExitNormal) return status;
    Reports reports(run.link(), run.notices());
    return CommandRun::linkStatus(reports.run(report));
}

int RunProgramCommand(Surface& surface, std::unique_ptr<SerialPort> port,
                      const std::string& programFile, const CommandRunOptions& options) {
    CommandRun run(surface, std::move(port), options);
    if (const int status = run.begin(); status != kExitNormal) return status;
    // As from the menu: only a register on line is programmed.
    if (!run.link().send("KXCL", true).ok()) {
        run.notices().showMessage(kRegisterNotConnected, kMsgInformation);
        return kExitRegisterNotFound;
    }
    Cnv437869G converter;
    RegisterCharset charset;
    ReceiptPrinter printer(run.link(), converter, charset, run.notices());
    printer.vatFile = run.workFile("vats.dat");
    run.notices().clearMessageShown();
    const PrintResult result = printer.print(programFile, ReceiptSettingsOf(run.settings()));
    if (result.error != 0) {
        run.notices().showMessage(
            texts::kJobError + std::to_string(result.error) + "\r" + result.description,
            kMsgCritical);
        return kExitJobFailed;
    }
    if (result.stoppedAtLine != 0) return kExitRegisterNotFound;
    return run.notices().messageShown() ? kExitJobFailed : kExitNormal;
}

}  // namespace varkon
