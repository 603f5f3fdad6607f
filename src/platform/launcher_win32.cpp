// The Windows launcher: CreateProcessW with a command line quoted so that the started program's
// C runtime splits it back into exactly the arguments given. Batch files need the command
// interpreter; they get it explicitly (cmd /d /s /c), and only with arguments that hold none of
// its special characters, so that a file name can never be read as a command. Each program runs
// in a job object of its own, which the processes it starts join, so that stopLastStarted can end
// them all at once.
#include <windows.h>

#include "greek/cp1253.h"
#include "platform/launcher.h"

namespace varkon {
namespace {

std::wstring Widen(const std::string& cp1253) {
    const std::string utf8 = Cp1253ToUtf8(cp1253);
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// The quoting that CommandLineToArgvW and the C runtime undo.
std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    for (auto it = argument.begin();; ++it) {
        std::size_t backslashes = 0;
        while (it != argument.end() && *it == L'\\') {
            ++it;
            ++backslashes;
        }
        if (it == argument.end()) {
            quoted.append(backslashes * 2, L'\\');
            break;
        }
        if (*it == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        quoted.push_back(*it);
    }
    quoted.push_back(L'"');
    return quoted;
}

bool IsBatchFile(const std::string& program) {
    if (program.size() < 4) return false;
    std::string ext = program.substr(program.size() - 4);
    for (auto& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".bat" || ext == ".cmd";
}

// Characters that the command interpreter acts on even inside quotes, or that end a quoted run.
bool SafeForInterpreter(const std::string& text) {
    return text.find_first_of("%!^&|<>()\"\r\n") == std::string::npos;
}

std::wstring InterpreterPath() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ComSpec", buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
    UINT m = GetSystemDirectoryW(buffer, MAX_PATH);
    if (m > 0 && m < MAX_PATH) return std::wstring(buffer, m) + L"\\cmd.exe";
    return L"cmd.exe";
}

class Win32Launcher final : public Launcher {
  public:
    // The programs run on after the launcher: closing a job's last handle does not end them.
    ~Win32Launcher() override { forgetLast(); }

    bool start(const std::string& program, const std::vector<std::string>& arguments,
               bool minimized) override {
        if (program.empty()) return false;
        std::wstring application;
        std::wstring commandLine;
        if (IsBatchFile(program)) {
            if (!SafeForInterpreter(program)) return false;
            for (const auto& argument : arguments) {
                if (!SafeForInterpreter(argument)) return false;
            }
            application = InterpreterPath();
            commandLine = L"cmd.exe /d /s /c \"" + QuoteArgument(Widen(program));
            for (const auto& argument : arguments)
                commandLine += L" " + QuoteArgument(Widen(argument));
            commandLine += L"\"";
        } else {
            commandLine = QuoteArgument(Widen(program));
            for (const auto& argument : arguments)
                commandLine += L" " + QuoteArgument(Widen(argument));
        }

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        // Minimised, yet active: the window takes the focus as the operator expects.
        startup.wShowWindow = static_cast<WORD>(minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
        PROCESS_INFORMATION process{};
        // Suspended until it is in its job, so that nothing it starts can escape the job.
        BOOL ok =
            CreateProcessW(application.empty() ? nullptr : application.c_str(), commandLine.data(),
                           nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | CREATE_SUSPENDED, nullptr,
                           nullptr, &startup, &process);
        if (!ok) return false;
        forgetLast();
        HANDLE job = CreateJobObjectW(nullptr, nullptr);
        if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
            // A launcher inside a job that allows no nested one: the program still runs, and
            // stopLastStarted ends the program alone.
            CloseHandle(job);
            job = nullptr;
        }
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        // Not waited for: only the handles to end it with are kept.
        lastProcess_ = process.hProcess;
        lastJob_ = job;
        return true;
    }

    void stopLastStarted() override {
        if (lastJob_ != nullptr) {
            TerminateJobObject(lastJob_, 1);
        } else if (lastProcess_ != nullptr) {
            TerminateProcess(lastProcess_, 1);
        }
        forgetLast();
    }

  private:
    void forgetLast() {
        if (lastJob_ != nullptr) CloseHandle(lastJob_);
        if (lastProcess_ != nullptr) CloseHandle(lastProcess_);
        lastJob_ = nullptr;
        lastProcess_ = nullptr;
    }

    HANDLE lastProcess_ = nullptr;
    HANDLE lastJob_ = nullptr;
};

}  // namespace

std::string TextEditorProgram() {
    return "notepad";
}

std::unique_ptr<Launcher> MakeLauncher() {
    return std::make_unique<Win32Launcher>();
}

}  // namespace varkon
