// Small shared file operations of the job loop: the existence test with wildcards, the deletion
// of a print file that insists (and asks the operator) until it is gone, and reading a whole
// small file. Paths are code page 1253 texts.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "app/base/messages.h"

namespace varkon {

// True when the path (whose last part may hold * and ?) names at least one ordinary file.
bool FileExists(const std::string& path);

// Deletes the file, retrying a few milliseconds apart for `period`; then asks the operator
// (OK and Cancel, critical icon). OK starts a new period; Cancel runs `stopAction` and returns
// with the file left in place.
void DeleteFileWithRetry(const std::string& path, Messages& messages,
                         const std::function<void()>& stopAction,
                         std::chrono::milliseconds period = std::chrono::seconds(30));

// The whole file as bytes; empty when it is missing or cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace varkon
