#include "maintenance/programming_run.h"

#include <system_error>

#include "platform/files.h"

namespace varkon {
namespace {

constexpr const char* kReadyStatus = "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις";
constexpr const char* kProgramFileProblem = "Προβλημα στο αρχειο Προγραμματισμου";
constexpr const char* kProgrammingStarted = "Έναρξη Προγραμματισμού Ταμειακής ......";

}  // namespace

std::string ProgrammingTarget(const ProgrammingSettings& settings) {
    std::string name = settings.file;
    if (!settings.numbered) return settings.location + name;
    if (name.find('*') == std::string::npos) return settings.location + name + ".1";
    for (char& c : name) {
        if (c == '*') c = '1';
    }
    return settings.location + name;
}

bool RunBasicProgramming(OperatorNotices& notices, const ProgrammingRunCalls& calls,
                         const std::filesystem::path& settingsFile,
                         const std::filesystem::path& programFile) {
    if (calls.status() != kReadyStatus) {
        notices.showMessage(kRegisterNotConnected, kMsgInformation);
        return false;
    }
    ProgrammingSettings settings;
    std::error_code ec;
    if (ReadProgrammingSettings(settings, settingsFile) != 0 ||
        !std::filesystem::is_regular_file(programFile, ec) ||
        !std::filesystem::copy_file(programFile, ToFsPath(ProgrammingTarget(settings)),
                                    std::filesystem::copy_options::overwrite_existing, ec) ||
        ec) {
        notices.showMessage(kProgramFileProblem, kMsgCritical);
        return false;
    }
    calls.pressStart();
    calls.setStatus(calls.status() + "\r\n" + kProgrammingStarted);
    return true;
}

}  // namespace varkon
