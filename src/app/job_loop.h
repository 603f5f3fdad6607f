// The job loop: at every tick of the job timer it reads the settings again, finishes a receipt
// that an earlier run or a dead line left unfinished, or else takes the next print file that is
// ready (the one file of single-file mode, or the first of numbered mode that can be printed),
// has it converted when a converter is set (ConverterRun), records it in the job record, prints it
// through the receipt printer, counts it, tells the host application the outcome (HostOutcome) and
// deletes the file if it still holds what was printed. The one-shot run prints its one file the
// same way. The loop works on the engine's core; Varkon drives it.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "app/actions.h"
#include "app/converter_run.h"
#include "app/engine_core.h"
#include "app/host_outcome.h"
#include "app/job_record.h"
#include "app/print_folder.h"
#include "app/receipt_intake.h"
#include "config/param_settings.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/launcher.h"

namespace varkon {

class JobLoop {
  public:
    JobLoop(EngineCore& core, Launcher& launcher, Actions& actions);

    // One tick of the job timer.
    void onJobTick();
    // What a front end waits on to hear that the print-file folder has changed.
    std::intptr_t folderWaitHandle() const { return folder_.waitHandle(); }
    // The print-file folder (see PrintFolder).
    void watchPrintFolder(const ParamSettings& settings) { folder_.watch(settings); }
    bool takeFolderChanges() { return folder_.takeChanges(); }
    // The one-shot run's job, once the register has answered: the program ends afterwards.
    void printOneShotFile(const ParamSettings& settings);

  private:
    // How a receipt's sending ended.
    enum class Outcome { kPrinted, kStopped, kFailed, kNotStarted };
    // What a finished receipt does besides: numbered mode counts it, tells the host in
    // receipt.txt and deletes its file; single-file mode counts it and keeps a program file
    // (PRG); a one-shot run only deletes the file.
    enum class Mode { kNumbered, kSingleFile, kOneShot };

    void singleFileJob(const ParamSettings& settings);
    void numberedFileJob(const ParamSettings& settings);
    bool openPortForJob();
    // The reports the intake asks for, run between receipts.
    void runAskedReports(ReceiptIntake& intake);
    // The next job of a numbered-mode tick: the folder's next file or the intake's next receipt,
    // whichever came first; empty when there is none.
    std::string nextJob(const ParamSettings& settings);
    // An intake receipt that went out whole before the program stopped, its file not yet gone:
    // told and deleted instead of printed again. False when it is not one.
    bool finishSentBefore(const std::string& path);
    // Tells the intake how the job of its receipt ended.
    void tellIntake(const RecordedJob& job, IntakeOutcome outcome);

    // Records the file and sends it; kNotStarted when it could not be recorded or read.
    Outcome printFile(const std::string& path, const ReceiptSettings& settings, Mode mode);
    // Finishes the unfinished receipt of the job record, if there is one (kPrinted when none).
    Outcome finishUnfinished(Mode mode);
    // Sends the recorded job now being sent, from its first unanswered command, and ends it as
    // `mode` says when it went out whole.
    Outcome send(const RecordedJob& job, Mode mode);
    // `grown`: the file has grown since it was sent (JobRecord::sentJobGrownInto), and stays.
    void deletePrinted(const RecordedJob& job, bool grown);

    void showJobError(int error, const std::string& description);
    // What an intake receipt that went out whole comes to.
    // `messageNow`: a message came up in the part just sent; `messageDuringJob`: in any part.
    IntakeOutcome handedInOutcome(const PrintResult& result, const std::string& count,
                                  bool messageNow, bool messageDuringJob) const;

    EngineCore& core_;
    Launcher& launcher_;
    Actions& actions_;
    PrintFolder folder_;
    ConverterRun converter_;
    HostOutcome host_;
    std::set<std::uint64_t> unsureTold_;  // unfinished receipts whose file changed, told once
    std::optional<std::uint64_t> deadLineTold_;  // the stopped receipt already told of
    bool portLost_ = false;                      // the last open of the port for a job failed
    bool lastJobMessageShown_ = false;  // a message came up during the last finished receipt
};

}  // namespace varkon
