#include "platform/system.h"

#include <system_error>

namespace varkon {

bool LocalTime(std::time_t moment, std::tm& local) {
    return localtime_r(&moment, &local) != nullptr;
}

std::filesystem::path ProgramDirectory(const char* argv0) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    auto fromArgument = std::filesystem::absolute(argv0, ec).parent_path();
    return ec ? std::filesystem::path(".") : fromArgument;
}

}  // namespace varkon
