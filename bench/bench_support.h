// What the benchmarks share: a window that shows nothing, a scratch folder, child processes (the
// real varkon-sim and varkond) started without a shell, and percentiles of timed samples. Each
// benchmark owns its children and folders and ends them before it returns.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/base/messages.h"
#include "receipt/receipt_settings.h"
#include "support/quiet_surface.h"

extern char** environ;

namespace varkon::bench {

using test::QuietSurface;

// The settings the receipt benchmarks translate with: mikro, descriptions and comments printed,
// no item codes, quantities or departments, payments as in the file.
inline ReceiptSettings BenchReceiptSettings() {
    ReceiptSettings settings;
    settings.descpr = "true";
    settings.CODEPR = "fals";
    settings.comment = "true";
    settings.curr = "0";
    settings.keyboff = "fals";
    settings.ecrt = "mikro";
    settings.ddep = "fals";
    settings.quantity = "fals";
    return settings;
}

using Clock = std::chrono::steady_clock;

// A fresh folder under the temporary directory, removed with its contents at the end.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varkon-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    std::filesystem::path path_;
};

// A program started in `dir` (empty: here) with extra environment entries; standard output goes
// to a pipe (readLine) or, with `log`, to that file together with standard error. SIGTERM ends
// it when the object goes.
class ChildProcess {
  public:
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
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
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
    bool running() {
        int status = 0;
        return pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0;
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

    // SIGTERM, then SIGKILL if it has not ended within ten seconds.
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string pending_;
};

#ifdef VARKON_SIM_PATH
// The virtual register with the given options; `device` is its pseudo-terminal, empty when it
// did not start.
class Register {
  public:
    explicit Register(std::vector<std::string> options) : process_(Arguments(std::move(options))) {
        device = process_.readLine();
    }
    std::string device;

  private:
    static std::vector<std::string> Arguments(std::vector<std::string> options) {
        options.insert(options.begin(), VARKON_SIM_PATH);
        return options;
    }
    ChildProcess process_;
};
#endif

// The value below which `share` (0..1) of the samples lie (nearest rank).
inline double Percentile(std::vector<double> samples, double share) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1));
    return samples[rank];
}

inline double Median(std::vector<double> samples) {
    return Percentile(std::move(samples), 0.5);
}

inline double MicrosecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

}  // namespace varkon::bench
