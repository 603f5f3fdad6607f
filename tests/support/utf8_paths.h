// Paths in the tests of files are written as UTF-8 literals and handed to the program as code
// page 1253, as param.ini would hold them. On Windows std::filesystem reads a narrow name in the
// system's code page, so names go in and come out as char8_t.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "greek/cp1253.h"
#include "support/temp_dir.h"

namespace varkon::test {

inline std::filesystem::path At(const TempDir& dir, std::string_view utf8Name) {
    return dir.path() / std::u8string(utf8Name.begin(), utf8Name.end());
}

inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// The code page 1253 form of a path in a temporary folder.
inline std::string Cp(const std::filesystem::path& path) {
    return Utf8ToCp1253(Utf8(path));
}

inline void Write(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace varkon::test
