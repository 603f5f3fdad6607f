// A child process for the tests that run the real programs (varkond, varkon-sim): started in a
// folder with extra environment entries and its output in a file, ended with SIGTERM when the
// test is done with it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace varkon::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Polls a condition until it holds or a generous limit passes (a stuck run fails, never hangs).
inline bool Eventually(const std::function<bool()>& condition) {
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A program run in `dir` with extra environment entries, its output going to `log`.
class Child {
  public:
    Child(std::vector<std::string> argv, const fs::path& dir, std::vector<std::string> env,
          const fs::path& log) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        for (auto& e : env) envp.push_back(e.data());
        args.push_back(nullptr);
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (pid_ == 0 || status()) return;
        ::kill(pid_, SIGTERM);
        if (!Eventually([&] { return status().has_value(); })) ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    void signal(int number) { ::kill(pid_, number); }
    // The exit status once the child has ended, or nothing while it runs.
    std::optional<int> status() {
        int raw = 0;
        if (!status_ && pid_ != 0 && ::waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return status_;
    }
    std::optional<int> waitExit() {
        Eventually([&] { return status().has_value(); });
        return status();
    }

  private:
    pid_t pid_ = 0;
    std::optional<int> status_;
};

}  // namespace varkon::e2e
