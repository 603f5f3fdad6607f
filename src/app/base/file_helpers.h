// Small shared file operations of the job loop: the existence test with wildcards, the deletion
// of a print file that insists (and asks the operator) until it is gone, and reading a whole
// small file. Paths are code page 1253 texts.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/base/messages.h"

namespace varkon {

// True when the path (whose last part may hold * and ?) names at least one ordinary file.
bool FileExists(const std::string& path);

// DOS-style name matching: "*" any run of characters (also none), "?" any one character, letters
// compared without regard to case as the host application's platform lists them; "*.*" matches
// every name.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The names (without the folder) of the ordinary, not hidden files in the folder of
// `pathPattern` that match its last part, in byte order: a listing comes in no particular order,
// so byte order is what makes "the first match" the same on every machine.
std::vector<std::string> MatchingFiles(const std::string& pathPattern);

// Deletes the file, retrying a few milliseconds apart for `period`; then asks the operator
// (OK and Cancel, critical icon). OK starts a new period; Cancel runs `stopAction` and returns
// with the file left in place.
void DeleteFileWithRetry(const std::string& path, Messages& messages,
                         const std::function<void()>& stopAction,
                         std::chrono::milliseconds period = std::chrono::seconds(30));

// The whole file as bytes; empty when it is missing or cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace varkon
