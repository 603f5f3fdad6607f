#include "app/job_loop.h"

#include "app/print_jobs.h"
#include "app/window_texts.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"
#include "maintenance/link_messages.h"

namespace varkon {

JobLoop::JobLoop(EngineCore& core, Launcher& launcher, Actions& actions)
    : core_(core),
      launcher_(launcher),
      actions_(actions),
      folder_(core),
      converter_(core, launcher),
      host_(core) {}

void JobLoop::onJobTick() {
    launcher_.reap();

    core_.surface().setProgress(0.001);
    ParamSettings settings;
    if (!core_.readTickSettings(settings)) return;
    core_.surface().repaint();
    folder_.watch(settings);
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
    if (ReceiptIntake* intake = core_.options().intake) {
        const RecordedJob* unfinished = core_.jobs().unfinished();
        intake->tickEnded(unfinished != nullptr ? unfinished->path : std::string());
    }
    // End of tick: the port stays free between jobs, unless the stop action has just opened it
    // for the reports.
    if (!core_.finished() && core_.jobTimer().enabled) core_.link().close();
}

void JobLoop::showJobError(int error, const std::string& description) {
    core_.notices().showMessage(texts::kJobError + std::to_string(error) + "\r" + description,
                                kMsgCritical);
}

void JobLoop::singleFileJob(const ParamSettings& settings) {
    const std::string path = settings.location + settings.file;
    // A receipt an earlier run left unfinished goes out first.
    if (const RecordedJob* unfinished = core_.jobs().unfinished()) {
        const std::string resumed = unfinished->path;
        if (finishUnfinished(Mode::kSingleFile) != Outcome::kPrinted || resumed == path) {
            core_.closePortAndEnd(resumed == path && !core_.jobs().unfinished() ? kExitNormal
                                                                                : kExitJobFailed);
            return;
        }
    }
    const PrintFileState state = folder_.check(path);
    if (state == PrintFileState::kBeingWritten) return;  // a later tick takes it

    // The host application would read an earlier outcome as this one's.
    if (!host_.emptyReceiptFile()) {
        core_.notices().showMessage(texts::kReceiptNotWritten, kMsgExclamation);
    }
    std::ofstream journal = host_.openJournal();
    if (state != PrintFileState::kReady) {
        // The one file of this run cannot be had: say so and end, leaving whatever is there.
        const bool missing = state == PrintFileState::kMissing;
        showJobError(missing ? kErrFileNotFound : kErrCannotRead,
                     (missing ? texts::kPrintFileMissing : texts::kPrintFileUnreadable) +
                         Cp1253ToUtf8(path));
        core_.closePortAndEnd(kExitJobFailed);
        return;
    }
    // The port is opened as for any job: a numbered-mode tick before param.ini changed may have
    // freed it. Without it nothing could reach the register: the file waits, unread, and the
    // next tick tries again (the port is told once).
    if (!openPortForJob()) {
        core_.link().close();
        return;
    }
    if (!converter_.convert(settings.converter, path)) return;

    const Outcome outcome = printFile(path, ReceiptSettingsOf(settings), Mode::kSingleFile);
    core_.closePortAndEnd(outcome == Outcome::kPrinted ? kExitNormal : kExitJobFailed);
}

void JobLoop::numberedFileJob(const ParamSettings& settings) {
    // An unfinished receipt comes before every other: nothing else is printed until it is done.
    ReceiptIntake* intake = core_.options().intake;
    const RecordedJob* unfinished = core_.jobs().unfinished();
    const bool resuming = unfinished != nullptr;
    // Reports only between receipts: one asked for while a receipt waits is refused.
    if (intake != nullptr) runAskedReports(*intake);
    const std::string path = resuming ? std::string() : nextJob(settings);
    if (!resuming && path.empty()) return;
    // A receipt of the intake is told to the intake; receipt.txt and journal.txt stay the host
    // application's.
    const bool handedIn = intake != nullptr && intake->holds(resuming ? unfinished->path : path);
    if (handedIn && !resuming && finishSentBefore(path)) return;

    std::ofstream journal;
    if (!handedIn) journal = host_.openJournal();
    const bool portOpen = openPortForJob();
    if (!handedIn) host_.emptyReceiptFile();  // one that cannot be written is told with the outcome
    // Nothing of the receipt could reach the register: it waits, unread, for the port.
    if (!portOpen) return;
    Outcome outcome = Outcome::kNotStarted;
    if (resuming) {
        outcome = finishUnfinished(Mode::kNumbered);
    } else if (handedIn) {
        // Handed in as the register's own records: no converter.
        outcome = printFile(path, ReceiptSettingsOf(settings), Mode::kNumbered);
    } else if (converter_.convert(settings.converter, path)) {
        outcome = printFile(path, ReceiptSettingsOf(settings), Mode::kNumbered);
    }
    if (core_.finished() || outcome == Outcome::kNotStarted) return;
    journal.close();
    if (!core_.jobTimer().enabled) return;  // the operator gave up the deletion: stop has run
    core_.showStatus(texts::kWaiting);
    core_.showCaption(texts::kCaptionWaiting);
}

std::string JobLoop::nextJob(const ParamSettings& settings) {
    const std::string fromFolder = folder_.next(settings);
    ReceiptIntake* intake = core_.options().intake;
    const std::string handedIn = intake != nullptr ? intake->nextReceipt() : std::string();
    if (handedIn.empty()) return fromFolder;
    if (fromFolder.empty()) return handedIn;
    // Both wait: the one written first goes first.
    const std::optional<FileContent> folderFile = ReadFileContent(fromFolder);
    const std::optional<FileContent> intakeFile = ReadFileContent(handedIn);
    if (folderFile && intakeFile && intakeFile->modified < folderFile->modified) return handedIn;
    return fromFolder;
}

bool JobLoop::finishSentBefore(const std::string& path) {
    const std::optional<FileContent> content = ReadFileContent(path);
    if (!content) return false;
    const RecordedJob* sent = core_.jobs().sentJobWith(*content);
    if (sent == nullptr) return false;
    const RecordedJob job = *sent;
    IntakeOutcome outcome;
    outcome.message = texts::kHandedInSentBefore;
    tellIntake(job, outcome);
    deletePrinted(job, false);
    return true;
}

void JobLoop::runAskedReports(ReceiptIntake& intake) {
    while (const std::optional<Report> report = intake.takeReport()) {
        ReportOutcome outcome;
        if (const RecordedJob* unfinished = core_.jobs().unfinished()) {
            // The register may hold that receipt open: nothing else goes to it.
            outcome.message = texts::kUnfinishedReceiptHolds + Cp1253ToUtf8(unfinished->path);
        } else if (!openPortForJob()) {
            outcome.message = texts::kReportPortNotOpened + Cp1253ToUtf8(core_.portName());
        } else {
            core_.notices().clearMessageShown();
            const ExchangeResult result = core_.reports().run(*report);
            outcome.done = result.ok() && !result.refused();
            outcome.code = result.code;
            if (!outcome.done) {
                outcome.message = !core_.notices().lastMessage().empty()
                                      ? core_.notices().lastMessage()
                                      : ExchangeText(result);
            }
        }
        intake.reportEnded(*report, outcome);
    }
}

void JobLoop::tellIntake(const RecordedJob& job, IntakeOutcome outcome) {
    ReceiptIntake* intake = core_.options().intake;
    if (intake != nullptr && intake->holds(job.path)) intake->finished(job.path, outcome);
}

bool JobLoop::openPortForJob() {
    // An unplugged adapter is told once, not at every tick until it is back.
    if (core_.link().portState() == PortState::kClosed) core_.openPort(portLost_);
    portLost_ = core_.link().portState() == PortState::kFailed;
    return !portLost_;
}

JobLoop::Outcome JobLoop::printFile(const std::string& path, const ReceiptSettings& settings,
                                    Mode mode) {
    const std::optional<FileContent> content = ReadFileContent(path);
    if (!content) {
        const PrintResult unreadable = UnreadablePrintFile(path);
        showJobError(unreadable.error, unreadable.description);
        return Outcome::kFailed;
    }
    if (core_.jobs().sentJobGrownInto(path) != nullptr) {
        folder_.tellOnce(path, texts::kGrownAfterSending + Cp1253ToUtf8(path));
        return Outcome::kFailed;
    }
    if (!core_.jobs().begin(path, *content, settings)) {
        // Without the record a crash could book the receipt twice: it waits for the record.
        folder_.tellOnce("varkon.job", texts::kJobRecordNotWritten);
        return Outcome::kNotStarted;
    }
    folder_.tellOnce("varkon.job", "");
    return send(*core_.jobs().unfinished(), mode);
}

JobLoop::Outcome JobLoop::finishUnfinished(Mode mode) {
    const RecordedJob* unfinished = core_.jobs().unfinished();
    if (unfinished == nullptr) return Outcome::kPrinted;
    const RecordedJob job = *unfinished;
    const std::optional<FileContent> content = ReadFileContent(job.path);
    if (!content || *content != job.content) {
        // What the register still holds open cannot be known from here: stop and say so, once.
        if (unsureTold_.insert(job.id).second) {
            core_.notices().showMessage(
                texts::kReceiptWaits + Cp1253ToUtf8(job.path) + texts::kUnfinishedFileChanged,
                kMsgCritical);
        }
        return Outcome::kNotStarted;
    }
    if (mode != Mode::kNumbered && !openPortForJob()) return Outcome::kNotStarted;
    if (!core_.jobs().resume()) {
        // Told once: with the receipt's line when it stopped for this, or else now.
        if (deadLineTold_ != job.id) folder_.tellOnce("varkon.job", texts::kJobRecordNotWritten);
        return Outcome::kNotStarted;
    }
    folder_.tellOnce("varkon.job", "");
    return send(job, mode);
}

IntakeOutcome JobLoop::handedInOutcome(const PrintResult& result, const std::string& count,
                                       bool messageNow, bool messageDuringJob) const {
    IntakeOutcome outcome;
    const std::optional<ExchangeResult>& refusal = core_.notices().lastRefusal();
    if (result.settlementRefusedAtLine != 0 || (messageNow && refusal)) {
        outcome.kind = IntakeOutcome::Kind::kRefused;
        outcome.line = result.settlementRefusedAtLine;
        outcome.code = refusal ? refusal->code : 0;
        outcome.message = refusal ? ExchangeText(*refusal) : core_.notices().lastMessage();
    } else if (messageNow || result.records == 0) {
        // The client must look at this receipt, as receipt.txt's -1 tells the folder's host.
        outcome.kind = IntakeOutcome::Kind::kFailed;
        outcome.message = core_.notices().lastMessage();
    } else {
        outcome.receiptNumber = count;
        // Only an earlier part had a message: the stop it was finished after, which the client
        // was told as "stopped". Whatever else it was, the client is pointed at it.
        if (messageDuringJob) outcome.message = texts::kHandedInMessageBefore;
    }
    return outcome;
}

JobLoop::Outcome JobLoop::send(const RecordedJob& recorded, Mode mode) {
    const RecordedJob job = recorded;  // the record may drop it before this ends
    core_.notices().clearMessageShown();
    ReceiptIntake* intake = core_.options().intake;
    const bool handedIn = intake != nullptr && intake->holds(job.path);
    if (handedIn) intake->printing(job.path);
    core_.link().attachJournal(&core_.jobs());
    // Only what was recorded of the file goes out: lines the host appends meanwhile are no part
    // of this receipt.
    const PrintResult result = core_.printer().print(job.path, job.settings, job.content.size);
    core_.link().attachJournal(nullptr);
    const RecordedJob* now = core_.jobs().unfinished();
    const bool thisPartMessage = core_.notices().messageShown();
    const bool messageShown = thisPartMessage || (now != nullptr && now->messageShown);

    // Messages are shown while the job is still the record's current one, so that they count for
    // its outcome when it is finished later.
    if (result.stoppedAtLine != 0) {
        // The register answered, but the record of it could not be written (a full disk):
        // it goes on once the record can be written again.
        const bool recordFailed = !core_.jobs().healthy();
        const std::string why =
            texts::kReceiptWaits + Cp1253ToUtf8(job.path) +
            (recordFailed ? texts::kRecordStoppedAtLine : texts::kStoppedAtLine) +
            std::to_string(result.stoppedAtLine) +
            (recordFailed ? texts::kRecordFinishedLater : texts::kFinishedLater);
        if (!core_.closeRequested() && deadLineTold_ != job.id) {
            deadLineTold_ = job.id;
            core_.notices().showMessage(why, kMsgCritical);
        }
        core_.jobs().pause();
        if (handedIn) {
            tellIntake(job, {IntakeOutcome::Kind::kStopped, {}, result.stoppedAtLine, 0, why});
        } else if (mode == Mode::kNumbered) {
            host_.writeReceiptFile("-1");
        }
        return Outcome::kStopped;
    }
    if (result.error != 0) {
        // The file could not be read to its end. What went out is recorded, and the rest is
        // sent when the file can be read; a job of which nothing went out is forgotten.
        showJobError(result.error, result.description);
        if (now != nullptr && now->answered == 0) {
            core_.jobs().forget(job.id);
        } else {
            core_.jobs().pause();
        }
        if (handedIn) {
            tellIntake(job, {IntakeOutcome::Kind::kFailed, {}, 0, 0, result.description});
        } else if (mode == Mode::kNumbered) {
            host_.writeReceiptFile("-1");
        }
        return Outcome::kFailed;
    }
    // A file without a single record sent nothing: there is no receipt to count, and the host
    // application must look at what it wrote. It was read whole and goes as a printed one would.
    const bool noReceipt = result.records == 0;
    if (noReceipt) {
        core_.notices().showMessage(texts::kNoReceiptInFile + Cp1253ToUtf8(job.path),
                                    kMsgExclamation);
    }
    core_.jobs().markSent();
    deadLineTold_.reset();
    // The host wrote more into the file while or after it was sent: that was not printed, and
    // the file is never printed again from its first line. The host must look at this receipt.
    const bool grown = core_.jobs().sentJobGrownInto(job.path) != nullptr;
    if (grown) {
        core_.notices().showMessage(texts::kGrownAfterSending + Cp1253ToUtf8(job.path),
                                    kMsgCritical);
    }
    // The register refused to settle or close it, without a message: it may hold the receipt
    // open, so the host must not take it as printed.
    const bool refused = result.settlementRefusedAtLine != 0;
    if (refused) {
        core_.notices().showMessage(texts::kReceiptWaits + Cp1253ToUtf8(job.path) +
                                        texts::kSettlementRefused +
                                        std::to_string(result.settlementRefusedAtLine) + ".",
                                    kMsgCritical);
    }
    lastJobMessageShown_ = messageShown || noReceipt || grown || refused;
    if (mode != Mode::kOneShot) {
        const std::string count = noReceipt ? std::string() : host_.raiseCounter();
        if (handedIn) {
            tellIntake(job, handedInOutcome(result, count, thisPartMessage, lastJobMessageShown_));
        } else if (mode == Mode::kNumbered) {
            host_.writeReceiptFile(lastJobMessageShown_ ? "-1" : count);
        }
    }
    if (mode == Mode::kSingleFile && EndsWithPrg(job.path)) {
        core_.jobs().forget(job.id);  // a program file stays where it is
    } else {
        deletePrinted(job, grown);
    }
    return noReceipt ? Outcome::kFailed : Outcome::kPrinted;
}

void JobLoop::deletePrinted(const RecordedJob& job, bool grown) {
    // Only the file that was printed goes: one the host application wrote anew since, even in
    // place under the same name, has not been read and stays.
    if (ReadFileContent(job.path) == job.content) {
        DeleteFileWithRetry(
            job.path, core_.notices(), [this] { actions_.stopPrinting(); },
            core_.options().timings.deleteRetryPeriod);
    }
    // One that could not be deleted stays recorded as printed: it is never printed again; so
    // does one that has grown since it was sent.
    if (ReadFileContent(job.path) != job.content && !grown) {
        core_.jobs().forget(job.id);
    }
}

void JobLoop::printOneShotFile(const ParamSettings& settings) {
    const std::string file = core_.inWorkDir(settings.file);
    if (const RecordedJob* unfinished = core_.jobs().unfinished()) {
        const std::string resumed = unfinished->path;
        const Outcome outcome = finishUnfinished(Mode::kOneShot);
        if (outcome != Outcome::kPrinted || resumed == file) {
            core_.closePortAndEnd(outcome == Outcome::kPrinted && !lastJobMessageShown_
                                      ? kExitNormal
                                      : kExitJobFailed);
            return;
        }
    }
    if (!folder_.waitUntilWritten(file)) {
        core_.closePortAndEnd(
            kExitNormal);  // told to stop while the host application still wrote the file
        return;
    }
    const Outcome outcome = printFile(file, ReceiptSettingsOf(settings), Mode::kOneShot);
    // A message during the job means the host application must look at this receipt.
    core_.closePortAndEnd(outcome == Outcome::kPrinted && !lastJobMessageShown_ ? kExitNormal
                                                                                : kExitJobFailed);
}

}  // namespace varkon
