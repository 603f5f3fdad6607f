// param.ini on arbitrary bytes: both readers, and the dialog's writer fed with what was read,
// whose file must read back to the same values.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "config/param_settings.h"
#include "fuzz_support.h"
#include "greek/cp1253.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
    if (!condition) std::abort();
}

// A folder of this process for the rewritten file: the writer renames a temporary file over
// its target, which a memfd cannot take. In memory where the system has a tmpfs, as the writer
// forces every file to the disk.
// Never destroyed, so that the clean-up at exit can still name it.
const fs::path& WriteFolder() {
    static const fs::path& folder = *[] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        auto* path = new fs::path(base / ("varkon-fuzz-settings-" + std::to_string(::getpid())));
        fs::create_directories(*path, ec);
        if (ec) std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(WriteFolder(), ignored);
        });
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varkon;
    static const fuzz::MemFile file("param.ini");
    file.set(std::string_view(reinterpret_cast<const char*>(data), size));

    ParamSettings settings;
    settings.port = "com9";
    settings.baud = "1200";
    Check(ReadSettings(settings, file.path()) == 0);
    // No value is longer than its key allows, and no value holds a line end.
    Check(settings.port.size() <= 4 && settings.baud.size() <= 5 && settings.file.size() <= 30);
    Check(settings.location.size() <= 99 && settings.converter.size() <= 12);
    for (const std::string* value : {&settings.port, &settings.file, &settings.location}) {
        Check(value->find_first_of("\r\n") == std::string::npos);
    }

    ProgrammingSettings programming;
    Check(ReadProgrammingSettings(programming, file.path()) == 0);
    Check(programming.file.size() <= 12 && programming.location.size() <= 255);

    // What the dialog would write from these values reads back as the same values.
    SettingsForm form;
    form.port = settings.port;
    form.baud = settings.baud;
    form.file = settings.file;
    form.type = settings.registerType == "mikro" ? "MikroPos" : settings.registerType;
    form.multi = settings.multi == "true";
    form.printDescription = settings.printDescription == "true";
    form.codeNumeric = settings.printCode == "true N";
    form.codeAscii = settings.printCode == "true A";
    form.comments = settings.comment == "true";
    form.currency = settings.currency == "1" ? 1 : settings.currency == "2" ? 2 : 0;
    form.converter = settings.converter;
    form.keyboardOff = settings.keyboardOff == "true";
    form.directDepartments = settings.directDepartments == "true";
    form.quantity = settings.quantity == "true";
    form.autoStart = settings.autoStart;
    form.hostFile = settings.hostFile == "ye";
    form.location = settings.location;
    const fs::path written = WriteFolder() / "param.ini";
    Check(WriteSettings(form, "01-02-2025", written) == 0);

    ParamSettings back;
    Check(ReadSettings(back, written) == 0);
    Check(back.port == LowerCp1253(form.port) && back.baud == LowerCp1253(form.baud));
    Check(back.file == form.file && back.location == form.location);
    Check(back.multi == (form.multi ? "true" : "fals"));
    Check(back.printDescription == (form.printDescription ? "true" : "fals"));
    Check(back.comment == (form.comments ? "true" : "fals"));
    Check(back.keyboardOff == (form.keyboardOff ? "true" : "fals"));
    Check(back.directDepartments == (form.directDepartments ? "true" : "fals"));
    Check(back.quantity == (form.quantity ? "true" : "fals"));
    Check(back.printCode == (form.codeAscii ? "true A" : form.codeNumeric ? "true N" : "falseN"));
    Check(back.currency == std::to_string(form.currency));
    Check(back.hostFile == (form.hostFile ? "ye" : "no"));
    Check(back.autoStart == form.autoStart);
    Check(back.registerType == EcrtFromTypeText(form.type));
    return 0;
}
