#include "app/base/file_helpers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/base/fs_path.h"
#include "greek/cp1253.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace varkon {
namespace {

// Pause between two deletion attempts: short enough that a file released by another program goes
// at once, long enough not to keep a core busy for the whole period.
constexpr auto kRetryPause = std::chrono::milliseconds(5);

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\:";
#else
constexpr std::string_view kSeparators = "/";
#endif

bool HasWildcards(std::string_view name) {
    return name.find_first_of("*?") != name.npos;
}

// Hidden and system files are not the host application's print files; a listing skips them.
bool IsHidden(const fs::directory_entry& entry, std::string_view name) {
#ifdef _WIN32
    (void)name;
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    (void)entry;
    return !name.empty() && name.front() == '.';
#endif
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") return true;
    // Greedy matching with one back-track point per "*": linear in practice, never exponential.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || UpperCp1253(pattern[p]) == UpperCp1253(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> MatchingFiles(const std::string& pathPattern) {
    const std::size_t cut = pathPattern.find_last_of(kSeparators);
    const std::string directory =
        cut == std::string::npos ? std::string() : pathPattern.substr(0, cut + 1);
    const std::string pattern =
        cut == std::string::npos ? pathPattern : pathPattern.substr(cut + 1);
    const bool patternAsksForHidden = !pattern.empty() && pattern.front() == '.';

    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : ToFsPath(directory), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = FromFsPath(it->path().filename());
        if (!WildcardMatch(pattern, name)) continue;
        if (!patternAsksForHidden && IsHidden(*it, name)) continue;
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    const std::string_view last =
        cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1);
    if (HasWildcards(last)) return !MatchingFiles(path).empty();
    if (last.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(ToFsPath(path), ec);
}

void DeleteFileWithRetry(const std::string& path, Messages& messages,
                         const std::function<void()>& stopAction,
                         std::chrono::milliseconds period) {
    static const std::string kCannotDelete = "Αδύνατη η διαγραφή του αρχείου ";
    static const std::string kGoOn = "Να συνεχιστεί η προσπάθεια?";
    const fs::path target = ToFsPath(path);
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            if (!FileExists(path)) return;
            std::error_code ignored;
            fs::remove(target, ignored);
            if (!FileExists(path)) return;
            if (std::chrono::steady_clock::now() - start >= period) break;
            std::this_thread::sleep_for(kRetryPause);
        }
        const std::string question =
            kCannotDelete + "[" + Cp1253ToUtf8(path) + "]" + "\r\r" + kGoOn;
        if (messages.ShowMessage(question, kMsgOkCancel + kMsgCritical, "") != kAnswerOk) {
            if (stopAction) stopAction();
            return;
        }
    }
}

std::string ReadWholeFile(const std::string& path) {
    const fs::path file = ToFsPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string content;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return {};
    return content;
}

}  // namespace varkon
