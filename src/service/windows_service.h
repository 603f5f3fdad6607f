// varkond as a Windows service: registered with the service manager as "varkond-NAME", started
// with Windows, restarted by the manager after a failure, and stopped through it. The service's
// work is the same run as from the command line, in the folder it was registered for; the
// manager's stop becomes the same stop request as Ctrl+C. Elsewhere these say that services
// are a Windows matter (systemd runs varkond@NAME.service instead). windows_service_win32.cpp,
// windows_service_posix.cpp.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace varkon {

// How long the manager is told a stop may take: the command on the line is finished first.
inline constexpr unsigned kServiceStopWaitMs = 15000;

// Each prints what it did, or why not, and returns an exit status (0 done, 1 not). Names and
// folders are UTF-8, as varkond reads its command line.
int InstallService(const std::string& name, const std::string& folder, std::ostream& out);
int RemoveService(const std::string& name, std::ostream& out);

// Runs `work` as the service NAME in `folder`, telling the manager that it runs, and when work
// returns that it stopped (a failure when work's status is one a restart may mend). Returns
// work's status, or 1 with a message on `out` when the manager did not start this program.
int RunAsService(const std::string& name, const std::string& folder,
                 const std::function<int()>& work, std::ostream& out);

}  // namespace varkon
