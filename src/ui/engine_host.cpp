#include "ui/engine_host.h"

#include <QCoreApplication>

#include "app/controls.h"
#include "app/varkon.h"
#include "ui/qt_text.h"

namespace varkon {

EngineHost::EngineHost() {
    jobTimer_.setObjectName(ToQString(PartName(WindowPart::kJobTimer)));
    watchdogTimer_.setObjectName(ToQString(PartName(WindowPart::kWatchdogTimer)));
    QObject::connect(&jobTimer_, &QTimer::timeout, [this] { onJobTimer(); });
    QObject::connect(&watchdogTimer_, &QTimer::timeout, [this] { onWatchdogTimer(); });
}

void EngineHost::attach(Varkon& engine) {
    engine_ = &engine;
}

void EngineHost::setEndedHandler(std::function<void(bool closeWindow)> handler) {
    endedHandler_ = std::move(handler);
}

void EngineHost::call(const std::function<void(Varkon&)>& call) {
    if (engine_ == nullptr || ended_) {
        return;
    }
    ++engineDepth_;
    call(*engine_);
    --engineDepth_;
    if (engineDepth_ == 0 && closePending_ && !engine_->finished()) {
        engine_->close();  // the close box pressed while the engine was busy
    }
    syncTimers();
    finishIfEnded();
}

void EngineHost::onJobTimer() {
    onTick(&Varkon::onJobTick);
}

void EngineHost::onWatchdogTimer() {
    onTick(&Varkon::onWatchdogTick);
}

void EngineHost::onTick(void (Varkon::*tick)()) {
    // A tick that falls due while the engine is still busy (an exchange waiting, a message box
    // open) is dropped; the timer brings the next one.
    if (engineDepth_ > 0 || modalDepth_ > 0) {
        return;
    }
    call([tick](Varkon& engine) { (engine.*tick)(); });
}

void EngineHost::onFolderChanged() {
    if (engine_ == nullptr || ended_) return;
    // While the engine is busy the change is only noted: the job loop looks again when the tick
    // in progress ends.
    if (engineDepth_ > 0 || modalDepth_ > 0) {
        engine_->noteFolderChanged();
        return;
    }
    call([](Varkon& engine) { engine.onFolderChanged(); });
}

int EngineHost::runModal(const std::function<int()>& box) {
    ++modalDepth_;
    int answer = box();
    --modalDepth_;
    return answer;
}

bool EngineHost::closeRequested() {
    if (ended_ || engine_ == nullptr) {
        return true;
    }
    if (engineDepth_ > 0) {
        // A paint pass inside an exchange lets the window system's close through. The command
        // on the line and the job around it finish first; the engine stops at its next safe
        // point and the window closes when the engine is done.
        closePending_ = true;
        engine_->requestClose();
        return false;
    }
    closing_ = true;
    call([](Varkon& engine) { engine.close(); });
    if (!ended_) {
        endProgram();  // the close box always ends the program
    }
    return true;
}

void EngineHost::syncTimer(QTimer& timer, const TimerState& state) {
    // An interval of 0 keeps a timer silent, as the window's timers have always behaved.
    if (!state.enabled || state.interval <= 0) {
        timer.stop();
    } else if (!timer.isActive() || timer.interval() != state.interval) {
        timer.start(state.interval);
    }
}

void EngineHost::syncTimers() {
    if (engine_ == nullptr || ended_) {
        return;
    }
    syncTimer(jobTimer_, engine_->jobTimer());
    syncTimer(watchdogTimer_, engine_->watchdogTimer());
}

void EngineHost::finishIfEnded() {
    if (engine_ != nullptr && !ended_ && engineDepth_ == 0 && engine_->finished()) {
        endProgram();
    }
}

void EngineHost::endProgram() {
    ended_ = true;
    exitCode_ = engine_->exitCode();
    jobTimer_.stop();
    watchdogTimer_.stop();
    const bool closeWindow = !closing_;
    closing_ = true;
    if (endedHandler_) {
        endedHandler_(closeWindow);
    }
    QCoreApplication::exit(exitCode_);
}

}  // namespace varkon
