#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "service/stop_signals.h"

namespace varkon {
namespace {

volatile sig_atomic_t gStop = 0;
int gWakeFd = -1;
int gWaitFd = -1;

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    gStop = 1;
    if (gWakeFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(gWakeFd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

bool StopRequested() {
    return gStop != 0;
}

void RequestStop() {
    OnStopSignal(SIGTERM);
}

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
    // A closed terminal or a service manager's hang-up stops the program the same careful way.
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

int WaitUntil(std::chrono::steady_clock::time_point until, std::intptr_t wake,
              std::intptr_t otherWake) {
    while (!gStop) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) return 0;
        const int timeout = static_cast<int>(left > 1000 ? 1000 : left);
        if (gWaitFd < 0 && wake < 0 && otherWake < 0) {
            ::poll(nullptr, 0, timeout > 100 ? 100 : timeout);
            continue;
        }
        // A descriptor of -1 is passed over by poll.
        pollfd waits[3] = {{gWaitFd, POLLIN, 0},
                           {static_cast<int>(wake), POLLIN, 0},
                           {static_cast<int>(otherWake), POLLIN, 0}};
        if (::poll(waits, 3, timeout) <= 0) continue;
        if ((waits[0].revents & POLLIN) != 0) {
            char drain[16];
            while (::read(gWaitFd, drain, sizeof drain) > 0) {
            }
        }
        if ((waits[1].revents & POLLIN) != 0) return 1;
        if ((waits[2].revents & POLLIN) != 0) return 2;
    }
    return 0;
}

}  // namespace varkon
