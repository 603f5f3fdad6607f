// The pause after every command sent to the register, as the shop sets it in delay.inf. It is
// read afresh for every command, so that an operator may change it while the program runs; the
// engine hands this reading to the link, which never looks at the disk itself.
#pragma once

#include <chrono>
#include <filesystem>

namespace varkon {

inline constexpr const char* kPacingFile = "delay.inf";

// delay.inf is looked for in settingsDir (the folder of param.ini) first, then in programDir
// (the program's own folder). Whole milliseconds up to a minute; zero when there is no such file
// or the one found first holds anything else.
std::chrono::milliseconds ReadPacingDelay(const std::filesystem::path& settingsDir,
                                          const std::filesystem::path& programDir);

}  // namespace varkon
