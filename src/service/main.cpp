// varkond: the engine of the main window without a window, for a service on a point-of-sale box.
// It takes the same argument string as the desktop program (all arguments joined with blanks;
// none: param.ini in the working directory), logs everything the window would show to standard
// error, starts printing as soon as the register answers, and ends with one of the engine's
// exit statuses. SIGTERM and SIGINT close it as the window's close box would.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "app/launcher.h"
#include "app/varkon.h"
#include "greek/cp1253.h"
#include "link/serial_port.h"
#include "service/log_surface.h"
#include "service/logging_serial_port.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <thread>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace varkon {
namespace {

using Clock = std::chrono::steady_clock;

// ---- Stop requests (SIGTERM, SIGINT, console close). A signal can only reach the program
// through process-wide state: a flag, and on POSIX a pipe that wakes the event loop at once.

#ifdef _WIN32
std::atomic<bool> gStop{false};

BOOL WINAPI OnConsoleEvent(DWORD) {
    gStop = true;
    return TRUE;
}

bool StopRequested() {
    return gStop;
}

void InstallStopHandlers() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// Sleeps until `until` or a stop request, in steps short enough to notice the request.
void WaitUntil(Clock::time_point until) {
    const auto step = std::chrono::milliseconds(100);
    while (!gStop && Clock::now() < until) {
        auto left = until - Clock::now();
        std::this_thread::sleep_for(left < step ? left : step);
    }
}
#else
volatile sig_atomic_t gStop = 0;
int gWakeFd = -1;

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    gStop = 1;
    if (gWakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(gWakeFd, &byte, 1);
    }
    errno = saved;
}

bool StopRequested() {
    return gStop != 0;
}

int gWaitFd = -1;

void InstallStopHandlers() {
    int fds[2];
    if (::pipe(fds) == 0) {
        for (int fd : fds) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        gWaitFd = fds[0];
        gWakeFd = fds[1];
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A register that hangs up must not end the service through a write.
    signal(SIGPIPE, SIG_IGN);
}

// Sleeps in poll until `until` or a stop request; no busy waiting.
void WaitUntil(Clock::time_point until) {
    while (!gStop) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return;
        pollfd wake{gWaitFd, POLLIN, 0};
        const int timeout = static_cast<int>(left > 1000 ? 1000 : left);
        if (gWaitFd < 0) {
            ::poll(nullptr, 0, timeout > 100 ? 100 : timeout);
        } else if (::poll(&wake, 1, timeout) > 0) {
            char drain[16];
            while (::read(gWaitFd, drain, sizeof drain) > 0) {
            }
        }
    }
}
#endif

// ---- Options

std::filesystem::path ProgramDirectory(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::filesystem::path(buffer).parent_path();
#else
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
#endif
    auto fromArgument = std::filesystem::absolute(argv0, ec).parent_path();
    return ec ? std::filesystem::path(".") : fromArgument;
}

LinkTimings Timings() {
    LinkTimings timings;
    // For the test suite only: a register that never answers costs seconds instead of a minute.
    // Not for production use.
    const char* testTimings = std::getenv("VARKON_TEST_TIMINGS");
    if (testTimings != nullptr && std::string_view(testTimings) == "fast") {
        timings.replyWindow = std::chrono::milliseconds(300);
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

int RunEventLoop(Varkon& engine) {
    TimerSchedule job, watchdog;
    while (!engine.finished()) {
        if (StopRequested()) {
            engine.close();
            break;
        }
        auto now = Clock::now();
        job.follow(engine.Timer1, now);
        watchdog.follow(engine.Timer2, now);
        Clock::time_point next = now + std::chrono::seconds(1);
        if (job.armed() && job.due() < next) next = job.due();
        if (watchdog.armed() && watchdog.due() < next) next = watchdog.due();
        WaitUntil(next);
        if (StopRequested()) continue;

        now = Clock::now();
        if (watchdog.armed() && now >= watchdog.due() && engine.Timer2.enabled) {
            watchdog.fired();
            engine.onTimer2();
        }
        now = Clock::now();
        if (!engine.finished() && job.armed() && now >= job.due() && engine.Timer1.enabled) {
            job.fired();
            engine.onTimer1();
        }
    }
    return engine.exitCode();
}

}  // namespace
}  // namespace varkon

int main(int argc, char** argv) {
    using namespace varkon;
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) arguments += ' ';
        arguments += argv[i];
    }

    LogSurface log(std::cerr);
    InstallStopHandlers();
    auto launcher = MakeLauncher();
    EngineOptions options;
    options.arguments = Utf8ToCp1253(arguments);
    options.programDir = ProgramDirectory(argv[0]);
    options.timings = Timings();
    options.unattended = true;
    auto port = std::make_unique<LoggingSerialPort>(MakeSerialPort(options.timings), log);

    Varkon engine(log, *launcher, std::move(port), options);
    log.stopRequested = [] { return StopRequested(); };
    log.onStop = [&engine] { engine.requestClose(); };

    log.log("varkond", std::string("start ") + VARKON_VERSION +
                           (arguments.empty() ? std::string(", param.ini") : ", " + arguments));
    engine.load();
    const int status = RunEventLoop(engine);
    log.log("varkond", "end, status " + std::to_string(status));
    return status;
}
