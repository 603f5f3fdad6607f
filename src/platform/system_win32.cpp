#include <windows.h>

#include <system_error>

#include "platform/system.h"

namespace varkon {

bool LocalTime(std::time_t moment, std::tm& local) {
    return localtime_s(&local, &moment) == 0;
}

std::filesystem::path ProgramDirectory(const char* argv0) {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::filesystem::path(buffer).parent_path();
    std::error_code ec;
    auto fromArgument = std::filesystem::absolute(argv0, ec).parent_path();
    return ec ? std::filesystem::path(".") : fromArgument;
}

}  // namespace varkon
