#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <system_error>

#include "platform/system.h"

namespace varkon {
namespace {

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

// The narrow argv is in the system's code page.
std::string SystemCodePageToUtf8(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return WideToUtf8(wide);
}

std::filesystem::path FromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

bool LocalTime(std::time_t moment, std::tm& local) {
    return localtime_s(&local, &moment) == 0;
}

std::vector<std::string> SplitWindowsCommandLine(std::wstring_view commandLine) {
    // Given an empty line, CommandLineToArgvW would make up the program's path.
    if (commandLine.find_first_not_of(L" \t") == std::wstring_view::npos) return {};
    const std::wstring line(commandLine);
    int count = 0;
    LPWSTR* texts = CommandLineToArgvW(line.c_str(), &count);
    if (texts == nullptr) return {};
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8(texts[i]));
    LocalFree(texts);
    return arguments;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> arguments = SplitWindowsCommandLine(GetCommandLineW());
    if (!arguments.empty()) return arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(SystemCodePageToUtf8(argv[i]));
    return arguments;
}

std::filesystem::path ProgramFile(std::string_view invokedAs) {
    // The path may be longer than MAX_PATH (up to 32767 characters); a call that fills the
    // buffer whole has cut it short.
    for (std::size_t size = MAX_PATH; size <= 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(size));
        if (n == 0) break;
        if (n < size) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
    }
    if (invokedAs.empty()) return {};
    std::error_code ec;
    auto fromArgument = std::filesystem::absolute(FromUtf8(invokedAs), ec);
    return ec ? std::filesystem::path() : fromArgument;
}

std::filesystem::path ProgramDirectory(std::string_view invokedAs) {
    const std::filesystem::path file = ProgramFile(invokedAs);
    return file.empty() ? std::filesystem::path(".") : file.parent_path();
}

std::string PathAsArgument(const std::string& path) {
    return path.empty() || path.front() != '-' ? path : ".\\" + path;
}

}  // namespace varkon
