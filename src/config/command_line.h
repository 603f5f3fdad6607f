// The argument form of the settings: six fields separated by "," or " " (port, speed, print
// file, pause, register type, seven one-character options), as a host application passes them
// when it starts the program for one receipt.
#pragma once

#include <optional>
#include <string>

#include "config/param_settings.h"

namespace varkon {

// Fills `settings` from the argument string (code page 1253). Returns 0, or -1 when the option
// field has fewer than seven characters: the caller then ends the run through its farewell path.
int ReadCommandLineSettings(const std::string& arguments, ParamSettings& settings);

// The option field (the sixth) exactly as the argument string holds it, or nothing when the
// string has fewer than six fields: what a refusal names.
std::optional<std::string> OptionField(const std::string& arguments);

}  // namespace varkon
