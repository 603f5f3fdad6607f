#include "app/register_search.h"

#include "app/window_texts.h"

namespace varkon {
namespace {

constexpr int kWatchdogProbes = 3;

}  // namespace

void RegisterSearch::start() {
    Surface& surface = core_.surface;
    if (core_.link.PortHandle() == 0) {
        core_.link.OpenPort(core_.portName, core_.baud, core_.ecrErrorText, false);
        if (core_.link.EcrError != kEcrOk) {
            core_.endRun(kExitPortNotOpened);  // OpenPort has told the operator
            return;
        }
    }
    core_.showStatus(texts::kSearching);
    core_.showCaption(texts::kCaptionSearching);
    surface.setVisible(Window::kMain, true);
    surface.setEnabled(Control::kStartButton, false);
    surface.setEnabled(Control::kStopButton, false);
    core_.watchdogTimer.interval = kWatchdogInterval;
    core_.watchdogTimer.enabled = true;
    core_.jobTimer.enabled = false;
}

void RegisterSearch::onWatchdogTick() {
    Surface& surface = core_.surface;
    ++attempts_;
    if (attempts_ > kWatchdogProbes) {
        core_.watchdogTimer.enabled = false;
        // Nobody can change the settings of the service: it ends, and its manager may restart it.
        if (core_.options.unattended) core_.closePortAndEnd(kExitRegisterNotFound);
        return;
    }
    core_.openPortIfClosed();
    surface.setEnabled(Control::kReportsMenu, false);
    surface.setVisible(Window::kMain, true);
    surface.setEnabled(Control::kStartButton, false);

    core_.link.SendCommand("KXCL", core_.ecrErrorText, false);
    if (core_.link.EcrError != kEcrOk) {
        core_.showStatus(std::string(texts::kOffline) + "\r\n" + texts::kAttempt +
                         std::to_string(attempts_) + "/" + std::to_string(kWatchdogProbes));
        core_.showCaption(texts::kCaptionOffline);
        surface.setEnabled(Control::kStartButton, false);
        surface.setDefault(Control::kStartButton, false);
    } else {
        showReady();
        if (core_.autoStart || core_.options.unattended) actions_.startPrinting();
    }
}

bool RegisterSearch::waitForRegister() {
    core_.watchdogTimer.enabled = false;
    for (;;) {
        core_.link.SendCommand("KXCL", core_.ecrErrorText, false);
        if (core_.link.EcrError == kEcrOk) break;
        if (core_.closeRequested) return false;
    }
    showReady();
    return true;
}

void RegisterSearch::showReady() {
    Surface& surface = core_.surface;
    core_.showStatus(texts::kReady);
    core_.showCaption(texts::kCaptionReady);
    surface.setEnabled(Control::kStartButton, true);
    surface.setDefault(Control::kStartButton, true);
    surface.setFocus(Control::kStartButton);
    core_.watchdogTimer.enabled = false;
    surface.setEnabled(Control::kReportsMenu, true);
}

}  // namespace varkon
