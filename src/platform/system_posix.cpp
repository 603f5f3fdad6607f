#include <system_error>

#include "platform/system.h"

namespace varkon {

bool LocalTime(std::time_t moment, std::tm& local) {
    return localtime_r(&moment, &local) != nullptr;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::filesystem::path ProgramFile(std::string_view invokedAs) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self;
    if (invokedAs.empty()) return {};
    auto fromArgument = std::filesystem::absolute(invokedAs, ec);
    return ec ? std::filesystem::path() : fromArgument;
}

std::filesystem::path ProgramDirectory(std::string_view invokedAs) {
    const std::filesystem::path file = ProgramFile(invokedAs);
    return file.empty() ? std::filesystem::path(".") : file.parent_path();
}

std::string PathAsArgument(const std::string& path) {
    return path.empty() || path.front() != '-' ? path : "./" + path;
}

}  // namespace varkon
