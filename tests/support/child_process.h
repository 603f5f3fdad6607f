// A child process for the tests and benchmarks that run the real programs (varkond, varkon-sim):
// started without a shell in a folder, with extra environment entries; its standard output goes
// to a pipe (readLine) or, with a log file, to that file together with standard error. SIGTERM
// ends it when the object goes. Header-only and free of GoogleTest, so benchmarks can use it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace varkon::test {

class ChildProcess {
  public:
    using Clock = std::chrono::steady_clock;

    ChildProcess(std::vector<std::string> argv, const std::filesystem::path& dir = {},
                 std::vector<std::string> env = {}, const std::filesystem::path& log = {}) {
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (log.empty()) {
            if (::pipe2(out, O_CLOEXEC) != 0) return;
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                             O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        }
        if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        for (auto& e : env) envp.push_back(e.data());
        args.push_back(nullptr);
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (out[1] >= 0) ::close(out[1]);
        stdout_ = out[0];
    }
    ~ChildProcess() {
        stop();
        if (stdout_ >= 0) ::close(stdout_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number) {
        if (pid_ > 0 && !status_) ::kill(pid_, number);
    }

    // The exit status once the child has ended (128 + the signal when a signal ended it), or
    // nothing while it runs.
    std::optional<int> status() {
        int raw = 0;
        if (!status_ && pid_ > 0 && ::waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return status_;
    }
    bool running() { return pid_ > 0 && !status(); }

    // Waits for the end (a stuck child fails the caller, never hangs it).
    std::optional<int> waitExit(Clock::duration patience = std::chrono::seconds(30)) {
        const auto deadline = Clock::now() + patience;
        while (!status() && pid_ > 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status();
    }

    // The next line of standard output, or empty when none comes within `patience`.
    std::string readLine(Clock::duration patience = std::chrono::seconds(10)) {
        const auto deadline = Clock::now() + patience;
        while (stdout_ >= 0 && Clock::now() < deadline) {
            if (const auto nl = pending_.find('\n'); nl != std::string::npos) {
                std::string line = pending_.substr(0, nl);
                pending_.erase(0, nl + 1);
                return line;
            }
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 100) < 0) break;
            if (!(p.revents & (POLLIN | POLLHUP))) continue;
            char buffer[256];
            const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
            if (n <= 0) break;
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
        return {};
    }

    // SIGTERM, then SIGKILL if it has not ended within `patience`.
    void stop(Clock::duration patience = std::chrono::seconds(30)) {
        if (!running()) return;
        ::kill(pid_, SIGTERM);
        if (!waitExit(patience)) {
            ::kill(pid_, SIGKILL);
            int raw = 0;
            ::waitpid(pid_, &raw, 0);
            status_ = 128 + SIGKILL;
        }
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string pending_;
    std::optional<int> status_;
};

}  // namespace varkon::test
