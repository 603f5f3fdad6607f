// The argument form of the settings on arbitrary strings: it must always fill every field it
// owns and say -1 exactly when the option field is too short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/command_line.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsFlagWord(const std::string& value) {
    return value == "true" || value == "fals";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    const std::string arguments(reinterpret_cast<const char*>(data), size);

    ParamSettings settings;
    settings.location = "kept out";
    settings.autoStart = (size % 2) == 1;
    const bool autostar = settings.autoStart;
    const int status = ReadCommandLineSettings(arguments, settings);

    Check(status == 0 || status == -1);
    // A missing or empty field is "e", never empty.
    for (const std::string* field : {&settings.port, &settings.baud, &settings.file,
                                     &settings.delay, &settings.registerType}) {
        Check(!field->empty());
        Check(field->find_first_of(", ") == std::string::npos);
    }
    Check(settings.multi == "fals" && settings.codeType == "true");
    Check(settings.location.empty() && settings.converter.empty() && settings.hostFile.empty());
    Check(settings.autoStart == autostar);
    if (status == 0) {
        Check(IsFlagWord(settings.printDescription) && IsFlagWord(settings.comment));
        Check(IsFlagWord(settings.keyboardOff) && IsFlagWord(settings.directDepartments));
        Check(IsFlagWord(settings.quantity));
        Check(settings.currency.size() == 1);
        Check(settings.printCode.empty() || settings.printCode == "fals" ||
              settings.printCode == "true N" || settings.printCode == "true A");
    }
    return 0;
}
