// Opening the configuration files for reading without locking anybody out: param.ini and
// vats.dat are read afresh at every use, while the settings dialog may be writing them.
#pragma once

#include <cstdio>
#include <filesystem>

namespace varkon {

// A binary read stream that other readers and writers may share; nullptr when it cannot open.
std::FILE* OpenForReading(const std::filesystem::path& file);

}  // namespace varkon
