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

std::string FindPrintJob(const ParamSettings& settings) {
    if (UsesHostFile(settings)) {
        std::string candidate = settings.location + "noname.prn";
        return FileLength(candidate) > 0 ? candidate : std::string();
    }
    if (settings.file.find("*.") != std::string::npos) {
        const std::vector<std::string> names = MatchingFiles(settings.location + settings.file);
        if (names.empty()) return {};
        std::string candidate = settings.location + names.front();
        return FileLength(candidate) > 0 ? candidate : std::string();
    }
    for (int n = 1; n <= kHighestNumber; ++n) {
        std::string candidate = settings.location + settings.file + "." + std::to_string(n);
        if (FileLength(candidate) > 0) return candidate;
    }
    return {};
}

bool EndsWithPrg(std::string_view path) {
    if (path.size() < 3) return false;
    std::string_view end = path.substr(path.size() - 3);
    return FoldCase(end[0]) == 'P' && FoldCase(end[1]) == 'R' && FoldCase(end[2]) == 'G';
}

void DeleteFileWithRetry(const std::string& path, Notices& notices,
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
