#include "config/pacing_delay.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace varkon {

namespace {

constexpr auto kLongestPause = std::chrono::milliseconds(60'000);

}  // namespace

std::chrono::milliseconds ReadPacingDelay(const std::filesystem::path& settingsDir,
                                          const std::filesystem::path& programDir) {
    // An installed program's folder is often not the shop's to write: the file beside
    // param.ini, where there is one, is the one that counts.
    std::string file = settingsDir.empty() ? std::string() : FromFsPath(settingsDir / kPacingFile);
    if (file.empty() || !FileExists(file)) file = FromFsPath(programDir / kPacingFile);
    const std::string content = ReadWholeFile(file);
    const std::size_t begin = content.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    std::string_view number(content);
    number = number.substr(begin, content.find_last_not_of(" \t\r\n") - begin + 1);
    if (number.front() == '+') number.remove_prefix(1);
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    std::chrono::milliseconds pause{0};
    for (char c : number) pause = pause * 10 + std::chrono::milliseconds(c - '0');
    return pause <= kLongestPause ? pause : std::chrono::milliseconds{0};
}

}  // namespace varkon
