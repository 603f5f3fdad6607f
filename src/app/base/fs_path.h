// Paths inside the program are code page 1253 texts, as param.ini and the arguments hold them;
// the file system wants its own encoding (UTF-8 on POSIX, UTF-16 on Windows). This is the one
// place where a path is converted.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varkon {

std::filesystem::path ToFsPath(std::string_view cp1253Path);
std::string FromFsPath(const std::filesystem::path& path);

}  // namespace varkon
