#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/system.h"
#include "service/stop_signals.h"
#include "service/windows_service.h"

namespace varkon {
namespace {

// Statuses a restart may mend: a register or port that was away. A rejected configuration
// (arguments, param.ini, a second Varkon in the folder) stays rejected: the service stops
// without the failure that would make the manager start it again and again.
bool RestartMayMend(int status) {
    return status == 1 || status == 3 || status == 4;
}

// Names and folders come as UTF-8 (main reads the UTF-16 command line); the manager takes UTF-16.
std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::wstring ServiceName(const std::string& name) {
    return L"varkond-" + Wide(name);
}

std::string Failure(const char* what) {
    return std::string(what) + ": Windows error " + std::to_string(::GetLastError());
}

class ScHandle {
  public:
    explicit ScHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ScHandle() {
        if (handle_ != nullptr) ::CloseServiceHandle(handle_);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    SC_HANDLE handle_;
};

// The absolute folder, without the trailing backslash that would escape the closing quote of
// the service's command line.
std::wstring FullFolder(const std::string& folder) {
    const std::wstring given = Wide(folder);
    std::wstring full(MAX_PATH, L'\0');
    DWORD n =
        ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
    }
    full.resize(n);
    while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    if (full.size() == 2 && full[1] == L':') full += L"\\.";
    return full;
}

// ---- The running service: the manager calls back on threads of its own, through this state.

struct RunningService {
    std::wstring name;
    std::wstring folder;
    const std::function<int()>* work = nullptr;
    SERVICE_STATUS_HANDLE handle = nullptr;
    SERVICE_STATUS status{};
    int result = 0;
};
RunningService gService;

void Tell(DWORD state, DWORD waitHint = 0) {
    gService.status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    gService.status.dwCurrentState = state;
    gService.status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    gService.status.dwWaitHint = waitHint;
    gService.status.dwCheckPoint =
        state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : gService.status.dwCheckPoint + 1;
    ::SetServiceStatus(gService.handle, &gService.status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            Tell(SERVICE_STOP_PENDING, kServiceStopWaitMs);
            RequestStop();
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    gService.handle = ::RegisterServiceCtrlHandlerExW(gService.name.c_str(), OnControl, nullptr);
    if (gService.handle == nullptr) {
        gService.result = 1;
        return;
    }
    Tell(SERVICE_START_PENDING, 3000);
    if (!::SetCurrentDirectoryW(gService.folder.c_str())) {
        gService.status.dwWin32ExitCode = ::GetLastError();
        gService.result = 1;
        Tell(SERVICE_STOPPED);
        return;
    }
    Tell(SERVICE_RUNNING);
    gService.result = (*gService.work)();
    if (RestartMayMend(gService.result)) {
        gService.status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        gService.status.dwServiceSpecificExitCode = static_cast<DWORD>(gService.result);
    }
    Tell(SERVICE_STOPPED);
}

}  // namespace

int InstallService(const std::string& name, const std::string& folder, std::ostream& out) {
    const std::wstring program = ProgramFile({}).wstring();
    if (program.empty()) {
        out << "varkond: " << Failure("the program's own file cannot be found") << "\n";
        return 1;
    }
    const std::wstring commandLine =
        L"\"" + program + L"\" --service \"" + Wide(name) + L"\" \"" + FullFolder(folder) + L"\"";
    ScHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        out << "varkond: " << Failure("the service manager cannot be opened") << "\n";
        return 1;
    }
    const std::wstring serviceName = ServiceName(name);
    const std::wstring displayName = L"Varkon " + Wide(name);
    ScHandle service(::CreateServiceW(manager.get(), serviceName.c_str(), displayName.c_str(),
                                      SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                      SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, commandLine.c_str(),
                                      nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        out << "varkond: " << Failure("the service cannot be registered") << "\n";
        return 1;
    }
    std::wstring about = L"Prints the receipts of the folder on the cash register.";
    SERVICE_DESCRIPTIONW description{about.data()};
    ::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &description);
    // Restarted 5 s after a failure, three times a day at most; a stop with a failure status
    // counts, not only a crash.
    SC_ACTION restart[3] = {
        {SC_ACTION_RESTART, 5000}, {SC_ACTION_RESTART, 5000}, {SC_ACTION_RESTART, 5000}};
    SERVICE_FAILURE_ACTIONSW actions{};
    actions.dwResetPeriod = 24 * 60 * 60;
    actions.cActions = 3;
    actions.lpsaActions = restart;
    ::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &actions);
    SERVICE_FAILURE_ACTIONS_FLAG onFailureStatus{TRUE};
    ::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onFailureStatus);
    out << "varkond: service varkond-" << name << " installed for " << folder
        << "; it starts with Windows, or now with: sc start varkond-" << name << "\n";
    return 0;
}

int RemoveService(const std::string& name, std::ostream& out) {
    ScHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        out << "varkond: " << Failure("the service manager cannot be opened") << "\n";
        return 1;
    }
    const std::wstring serviceName = ServiceName(name);
    ScHandle service(::OpenServiceW(manager.get(), serviceName.c_str(),
                                    SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        out << "varkond: " << Failure(("no service varkond-" + name).c_str()) << "\n";
        return 1;
    }
    // Stopped first, as carefully as a stop from the manager; then removed.
    SERVICE_STATUS status{};
    if (::ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const auto giveUp =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kServiceStopWaitMs);
        while (::QueryServiceStatus(service.get(), &status) &&
               status.dwCurrentState != SERVICE_STOPPED &&
               std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    if (!::DeleteService(service.get())) {
        out << "varkond: " << Failure("the service cannot be removed") << "\n";
        return 1;
    }
    out << "varkond: service varkond-" << name << " removed\n";
    return 0;
}

int RunAsService(const std::string& name, const std::string& folder,
                 const std::function<int()>& work, std::ostream& out) {
    gService.name = ServiceName(name);
    gService.folder = FullFolder(folder);
    gService.work = &work;
    SERVICE_TABLE_ENTRYW table[] = {{gService.name.data(), ServiceMain}, {nullptr, nullptr}};
    if (!::StartServiceCtrlDispatcherW(table)) {
        out << "varkond: " << Failure("--service is for the service manager") << "\n";
        return 1;
    }
    return gService.result;
}

}  // namespace varkon
