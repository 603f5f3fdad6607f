// The host application's print files as the job loop sees them: which file is the next job (the
// Defacto file, the first match of a pattern, or the lowest numbered file), whether it is a
// program file, and the deletion that insists (and asks the operator) until the file is gone.
// Paths are code page 1253 texts; the job loop owns the decisions.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/param_settings.h"
#include "maintenance/operator_notices.h"

namespace varkon {

// The print files waiting for a numbered-mode tick, the next first: location + "noname.prn"
// unless [Defacto_] is "no"; else for a pattern with "*." its matches in byte order; else
// location + file + ".1" ... ".10". A candidate counts only with a length above 0.
std::vector<std::string> FindPrintJobs(const ParamSettings& settings);

// True when the path ends in "PRG", in any case.
bool EndsWithPrg(std::string_view path);

// Deletes the file, retrying a few milliseconds apart for `period`; then asks the operator
// (OK and Cancel, critical icon). OK starts a new period; Cancel runs `stopAction` and returns
// with the file left in place.
void DeleteFileWithRetry(const std::string& path, OperatorNotices& notices,
                         const std::function<void()>& stopAction,
                         std::chrono::milliseconds period = std::chrono::seconds(30));

}  // namespace varkon
