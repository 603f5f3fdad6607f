#include "app/print_jobs.h"

#include <thread>
#include <vector>

#include "app/window_texts.h"
#include "config/settings_values.h"
#include "greek/cp1253.h"
#include "platform/files.h"

namespace varkon {
namespace {

constexpr int kHighestNumber = 10;

// Pause between two deletion attempts: short enough that a file released by another program goes
// at once, long enough not to keep a core busy for the whole period.
constexpr auto kRetryPause = std::chrono::milliseconds(5);

char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::vector<std::string> FindPrintJobs(const ParamSettings& settings) {
    std::vector<std::string> jobs;
    auto consider = [&jobs](std::string candidate) {
        if (FileLength(candidate) > 0) jobs.push_back(std::move(candidate));
    };
    if (UsesHostFile(settings)) {
        consider(settings.location + "noname.prn");
    } else if (settings.file.find("*.") != std::string::npos) {
        // An empty match is passed over, not taken for "no job": it would hold up the rest.
        for (const std::string& name : MatchingFiles(settings.location + settings.file)) {
            consider(settings.location + name);
        }
    } else {
        for (int n = 1; n <= kHighestNumber; ++n) {
            consider(settings.location + settings.file + "." + std::to_string(n));
        }
    }
    return jobs;
}

bool EndsWithPrg(std::string_view path) {
    if (path.size() < 3) return false;
    std::string_view end = path.substr(path.size() - 3);
    return FoldCase(end[0]) == 'P' && FoldCase(end[1]) == 'R' && FoldCase(end[2]) == 'G';
}

void DeleteFileWithRetry(const std::string& path, OperatorNotices& notices,
                         const std::function<void()>& stopAction,
                         std::chrono::milliseconds period) {
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            if (!FileExists(path) || RemoveFile(path)) return;
            if (std::chrono::steady_clock::now() - start >= period) break;
            std::this_thread::sleep_for(kRetryPause);
        }
        const std::string question = std::string(texts::kCannotDelete) + "[" + Cp1253ToUtf8(path) +
                                     "]" + "\r\r" + texts::kGoOnTrying;
        if (notices.showMessage(question, kMsgOkCancel + kMsgCritical, "") != kAnswerOk) {
            if (stopAction) stopAction();
            return;
        }
    }
}

}  // namespace varkon
