#include "app/register_search.h"

#include "app/window_texts.h"

namespace varkon {
namespace {

constexpr int kWatchdogProbes = 3;

}  // namespace

void RegisterSearch::start() {
    Surface& surface = core_.surface();
    if (core_.link().portState() == PortState::kClosed) {
        if (core_.openPort(false) != PortOpening::kOpened) {
            core_.endRun(kExitPortNotOpened);  // the operator has been told why
            return;
        }
    }
    core_.showStatus(texts::kSearching);
    core_.showCaption(texts::kCaptionSearching);
    surface.setVisible(Window::kMain, true);
    surface.setEnabled(Control::kStartButton, false);
    surface.setEnabled(Control::kStopButton, false);
    core_.startWatchdog();
    core_.stopJobTimer();
}

void RegisterSearch::onWatchdogTick() {
    Surface& surface = core_.surface();
    ++attempts_;
    if (attempts_ > kWatchdogProbes) {
        core_.stopWatchdog();
        // Nobody can change the settings of the service: it ends, and its manager may restart it.
        if (core_.options().unattended) core_.closePortAndEnd(kExitRegisterNotFound);
        return;
    }
    core_.openPortIfClosed();
    surface.setEnabled(Control::kReportsMenu, false);
    surface.setVisible(Window::kMain, true);
    surface.setEnabled(Control::kStartButton, false);

    if (!core_.link().send("KXCL").ok()) {
        core_.showStatus(std::string(texts::kOffline) + "\r\n" + texts::kAttempt +
                         std::to_string(attempts_) + "/" + std::to_string(kWatchdogProbes));
        core_.showCaption(texts::kCaptionOffline);
        surface.setEnabled(Control::kStartButton, false);
        surface.setDefault(Control::kStartButton, false);
    } else {
        showReady();
        if (core_.autoStart() || core_.options().unattended) actions_.startPrinting();
    }
}

bool RegisterSearch::waitForRegister() {
    core_.stopWatchdog();
    for (;;) {
        if (core_.link().send("KXCL").ok()) break;
        if (core_.closeRequested()) return false;
    }
    showReady();
    return true;
}

void RegisterSearch::showReady() {
    Surface& surface = core_.surface();
    core_.showStatus(texts::kReady);
    core_.showCaption(texts::kCaptionReady);
    surface.setEnabled(Control::kStartButton, true);
    surface.setDefault(Control::kStartButton, true);
    surface.setFocus(Control::kStartButton);
    core_.stopWatchdog();
    surface.setEnabled(Control::kReportsMenu, true);
}

}  // namespace varkon
