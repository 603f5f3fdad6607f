// The parts of the file helpers that are the same on every system; the system's own calls are in
// files_posix.cpp and files_win32.cpp.
#include "platform/files.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "greek/cp1253.h"
#include "platform/fnv1a.h"

namespace fs = std::filesystem;

namespace varkon {
namespace {

bool HasWildcards(std::string_view name) {
    return name.find_first_of("*?") != name.npos;
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
    const std::size_t cut = pathPattern.find_last_of(PathSeparators());
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
        if (!patternAsksForHidden && IsHiddenFile(*it, name)) continue;
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
    const std::size_t cut = path.find_last_of(PathSeparators());
    const std::string_view last =
        cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1);
    if (HasWildcards(last)) return !MatchingFiles(path).empty();
    if (last.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(ToFsPath(path), ec);
}

bool RemoveFile(const std::string& path) {
    std::error_code ignored;
    fs::remove(ToFsPath(path), ignored);
    return !FileExists(path);
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

std::optional<std::uint64_t> HashOfFirstBytes(const std::string& path, std::uint64_t bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(ToFsPath(path), ec)) return std::nullopt;
    std::ifstream in(ToFsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    Fnv1a hash;
    std::vector<char> buffer(64 * 1024);
    while (bytes > 0) {
        const auto wanted =
            static_cast<std::streamsize>(std::min<std::uint64_t>(bytes, buffer.size()));
        in.read(buffer.data(), wanted);
        const std::streamsize got = in.gcount();
        if (got <= 0) return std::nullopt;
        hash.add(buffer.data(), static_cast<std::size_t>(got));
        bytes -= static_cast<std::uint64_t>(got);
    }
    return hash.value();
}

std::uintmax_t FileLength(const std::string& path) {
    std::error_code ec;
    const fs::path file = ToFsPath(path);
    if (!fs::is_regular_file(file, ec)) return 0;
    std::uintmax_t size = fs::file_size(file, ec);
    return ec ? 0 : size;
}

bool FolderLock::held() const {
    return handle_ != -1;
}

}  // namespace varkon
