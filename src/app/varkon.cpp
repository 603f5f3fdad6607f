#include "app/varkon.h"

#include "app/window_texts.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"

namespace varkon {
namespace {

// Sets a flag for the lifetime of a handler, so that a tick falling due meanwhile is skipped.
class Running {
  public:
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

  private:
    bool& flag_;
};

}  // namespace

Varkon::Varkon(Surface& surface, Launcher& launcher, std::unique_ptr<SerialPort> port,
               EngineOptions options)
    : core_(surface, std::move(port), std::move(options)),
      actions_(core_, launcher),
      search_(core_, actions_),
      jobs_(core_, launcher, actions_) {}

void Varkon::load() {
    if (core_.finished() || !core_.lockWorkFolder()) return;
    // What an earlier run left unfinished is finished at the first job; a record that cannot be
    // written is told when a receipt would need it.
    core_.jobs().open();
    startUp();
}

void Varkon::startUp() {
    ParamSettings settings;
    if (!core_.readStartupSettings(settings)) {
        if (core_.waitsForSettings()) actions_.askForSettings();
        return;
    }
    core_.takeStartupSettings(settings);

    core_.surface().setEnabled(Control::kReportsMenu, false);
    fillOptionPanel(settings);
    if (!core_.oneShot()) jobs_.watchPrintFolder(settings);
    search_.start();
    if (core_.finished()) return;
    if (core_.oneShot()) oneShotRun(settings);
    if (core_.closeRequested()) core_.closePortAndEnd(kExitNormal);
}

void Varkon::fillOptionPanel(const ParamSettings& s) {
    Surface& surface = core_.surface();
    surface.setText(Control::kPortValue, Cp1253ToUtf8(core_.portName()));
    surface.setText(Control::kBaudValue, Cp1253ToUtf8(core_.baud()));
    surface.setText(Control::kFileValue,
                    Cp1253ToUtf8(s.file) + texts::kPathBetween + Cp1253ToUtf8(s.location));
    surface.setText(Control::kRegisterValue, Cp1253ToUtf8(s.registerType));
    surface.setText(Control::kDescriptionValue, ShowsDescriptionsPrinted(s)
                                                    ? texts::kDescriptionsPrinted
                                                    : texts::kDescriptionsNotPrinted);
    surface.setText(Control::kCommentsValue,
                    ShowsCommentsOff(s) ? texts::kCommentsNo : texts::kCommentsYes);
    switch (SettlementOf(s)) {
        case Settlement::kTenderKey:
        case Settlement::kMainCurrency:
            surface.setText(Control::kCurrencyValue, texts::kMainCurrency);
            break;
        case Settlement::kSecondCurrency:
            surface.setText(Control::kCurrencyValue, texts::kSecondCurrency);
            break;
        default:
            break;
    }
}

void Varkon::oneShotRun(const ParamSettings& settings) {
    if (!search_.waitForRegister()) return;
    jobs_.printOneShotFile(settings);
}

void Varkon::onJobTick() {
    if (core_.finished() || jobTickRunning_) return;
    Running running(jobTickRunning_);
    do {
        lookAgain_ = false;
        jobs_.onJobTick();
    } while (lookAgain_ && !core_.finished() && !core_.closeRequested() &&
             core_.jobTimer().enabled);
    if (core_.closeRequested()) core_.closePortAndEnd(kExitNormal);
}

void Varkon::noteFolderChanged() {
    if (jobs_.takeFolderChanges()) lookAgain_ = true;
}

bool Varkon::onFolderChanged() {
    // Always taken, so that the handle stops firing; a look only while printing runs.
    const bool changed = jobs_.takeFolderChanges();
    if (!changed || core_.finished() || !core_.jobTimer().enabled) return false;
    if (jobTickRunning_) {
        lookAgain_ = true;
        return false;
    }
    onJobTick();
    return true;
}

bool Varkon::onHandedIn() {
    if (core_.finished() || !core_.jobTimer().enabled) return false;
    if (jobTickRunning_) {
        lookAgain_ = true;
        return false;
    }
    onJobTick();
    return true;
}

void Varkon::onWatchdogTick() {
    if (core_.finished() || watchdogTickRunning_) return;
    Running running(watchdogTickRunning_);
    search_.onWatchdogTick();
    if (core_.closeRequested()) core_.closePortAndEnd(kExitNormal);
}

void Varkon::startPrinting() {
    actions_.startPrinting();
}
void Varkon::stopPrinting() {
    actions_.stopPrinting();
}
void Varkon::endProgram() {
    actions_.endProgram();
}
void Varkon::openSettings() {
    actions_.openSettings();
}
void Varkon::settingsClosed() {
    actions_.settingsClosed();
}
void Varkon::settingsSaved() {
    if (!core_.waitsForSettings()) {
        actions_.settingsSaved();
        return;
    }
    // The dialog has written the settings start-up lacked: start-up goes on with them, and the
    // register search begins as it would have at the start.
    core_.settingsSupplied();
    if (core_.finished()) return;
    startUp();
    if (core_.closeRequested()) core_.closePortAndEnd(kExitNormal);
}
void Varkon::showHelp() {
    actions_.showHelp();
}
void Varkon::runBasicProgramming() {
    actions_.runBasicProgramming();
}
void Varkon::runReport(Report report) {
    actions_.runReport(report);
}

}  // namespace varkon
