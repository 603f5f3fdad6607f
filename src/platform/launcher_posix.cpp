// The POSIX launcher: posix_spawn with an argument vector, no shell. Children are not waited for;
// reap() collects the ones that have ended so that none is left as a zombie. Each program starts
// as the leader of a process group of its own, which everything it starts joins, so that
// stopLastStarted can end them all with one kill.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "greek/cp1253.h"
#include "platform/launcher.h"

extern char** environ;

namespace varkon {
namespace {

// Collects the child if it has ended; true when it is gone (collected now or before).
bool Collected(pid_t pid) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno != EINTR);
}

class PosixLauncher final : public Launcher {
  public:
    ~PosixLauncher() override {
        last_ = -1;
        reap();
    }

    bool start(const std::string& program, const std::vector<std::string>& arguments,
               bool /*minimized: a POSIX program has no window state to ask for*/) override {
        reap();
        if (program.empty()) return false;
        std::vector<std::string> argv{Cp1253ToUtf8(program)};
        for (const auto& argument : arguments) argv.push_back(Cp1253ToUtf8(argument));
        std::vector<char*> argp;
        for (auto& a : argv) argp.push_back(a.data());
        argp.push_back(nullptr);

        // As on Windows, a bare name that lies in the working directory means that file.
        std::string path = argv.front();
        bool searchPath = path.find('/') == std::string::npos;
        struct stat st {};
        if (searchPath && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            path = "./" + path;
            searchPath = false;
        }

        // The child starts with default signal handling and an empty mask, whatever the
        // service has set up for itself.
        posix_spawnattr_t attr;
        if (posix_spawnattr_init(&attr) != 0) return false;
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGCHLD);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setpgroup(&attr, 0);  // a group of its own, numbered as the child
        posix_spawnattr_setflags(
            &attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

        pid_t pid = 0;
        int rc = searchPath ? posix_spawnp(&pid, path.c_str(), nullptr, &attr, argp.data(), environ)
                            : posix_spawn(&pid, path.c_str(), nullptr, &attr, argp.data(), environ);
        posix_spawnattr_destroy(&attr);
        if (rc != 0) return false;
        children_.push_back(pid);
        last_ = pid;
        return true;
    }

    // The last program started is left uncollected, even once it has ended, until the next start
    // or stopLastStarted: while it is a zombie its number can name no other process or group, so
    // the group kill reaches what it left running and never a stranger that took the number.
    void reap() override {
        std::erase_if(children_, [this](pid_t pid) { return pid != last_ && Collected(pid); });
    }

    void stopLastStarted() override {
        if (last_ <= 0) return;
        const pid_t group = last_;
        last_ = -1;
        ::kill(-group, SIGKILL);
        // A killed process ends at once; a short wait collects it, or the next reap() does.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        while (!Collected(group) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        reap();
    }

  private:
    std::vector<pid_t> children_;
    pid_t last_ = -1;  // the leader of the last started program's group
};

}  // namespace

std::string TextEditorProgram() {
    return "xdg-open";
}

std::unique_ptr<Launcher> MakeLauncher() {
    return std::make_unique<PosixLauncher>();
}

}  // namespace varkon
