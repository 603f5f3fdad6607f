// EngineHost: every call of the desktop window into the engine goes through it. It owns the job
// timer and the watchdog (QTimers kept in step with the engine's), skips a tick that falls due
// while a call still runs or a box is open, and ends the program. The window owns it.
#pragma once

#include <QTimer>
#include <functional>

namespace varkon {

class Varkon;
struct TimerState;

class EngineHost {
  public:
    EngineHost();

    // Without an engine every call and tick is dropped.
    void attach(Varkon& engine);
    Varkon* engine() const { return engine_; }

    // Runs a call into the engine; afterwards the timers follow the engine's timer state and an
    // engine that has finished ends the program.
    void call(const std::function<void(Varkon&)>& call);

    // A tick of a timer, as the QTimers deliver it.
    void onJobTimer();
    void onWatchdogTimer();
    // The print-file folder changed (the engine's folder watch fired).
    void onFolderChanged();

    // Shows a message box; no tick reaches the engine from its event loop.
    int runModal(const std::function<int()>& box);

    // The window's close box was pressed. True when the window may close now; false while a call
    // into the engine still runs: the engine stops at its next safe point and the program ends
    // (closing the window) once that call is done.
    bool closeRequested();

    // Called once when the program ends, with true when the window is still to be closed.
    void setEndedHandler(std::function<void(bool closeWindow)> handler);

    // The engine has ended the program: the window is closed and the event loop told to quit.
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

    QTimer& jobTimer() { return jobTimer_; }
    QTimer& watchdogTimer() { return watchdogTimer_; }

  private:
    void onTick(void (Varkon::*tick)());
    void syncTimers();
    static void syncTimer(QTimer& timer, const TimerState& state);
    void finishIfEnded();
    void endProgram();

    Varkon* engine_ = nullptr;
    QTimer jobTimer_;
    QTimer watchdogTimer_;
    std::function<void(bool)> endedHandler_;
    int engineDepth_ = 0;   // calls into the engine now running (ticks are never nested)
    int modalDepth_ = 0;    // message boxes now open (their event loop must not tick the engine)
    bool closing_ = false;  // the window is closing or closed
    bool closePending_ = false;  // closed while the engine was busy: close when it is done
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace varkon
