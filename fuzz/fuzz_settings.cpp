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
    settings.Port = "com9";
    settings.Baud = "1200";
    Check(ReadSettings(settings, file.path()) == 0);
    // No value is longer than its key allows, and no value holds a line end.
    Check(settings.Port.size() <= 4 && settings.Baud.size() <= 5 && settings.file.size() <= 30);
    Check(settings.location.size() <= 99 && settings.convert2.size() <= 12);
    for (const std::string* value : {&settings.Port, &settings.file, &settings.location}) {
        Check(value->find_first_of("\r\n") == std::string::npos);
    }

    ProgrammingSettings programming;
    Check(ReadProgrammingSettings(programming, file.path()) == 0);
    Check(programming.file.size() <= 12 && programming.location.size() <= 255);

    // What the dialog would write from these values reads back as the same values.
    SettingsForm form;
    form.port = settings.Port;
    form.baud = settings.Baud;
    form.file = settings.file;
    form.type = settings.ecrt == "mikro" ? "MikroPos" : settings.ecrt;
    form.multi = settings.multi == "true";
    form.descpr = settings.descpr == "true";
    form.codeNumeric = settings.CODEPR == "true N";
    form.codeAscii = settings.CODEPR == "true A";
    form.comments = settings.comment == "true";
    form.currency = settings.curr == "1" ? 1 : settings.curr == "2" ? 2 : 0;
    form.convert2 = settings.convert2;
    form.keyboff = settings.keyboff == "true";
    form.ddep = settings.ddep == "true";
    form.quantity = settings.quantity == "true";
    form.autostar = settings.autostar;
    form.defacto = settings.defacto == "ye";
    form.location = settings.location;
    const fs::path written = WriteFolder() / "param.ini";
    Check(WriteSettings(form, "01-02-2025", written) == 0);

    ParamSettings back;
    Check(ReadSettings(back, written) == 0);
    Check(back.Port == LowerCp1253(form.port) && back.Baud == LowerCp1253(form.baud));
    Check(back.file == form.file && back.location == form.location);
    Check(back.multi == (form.multi ? "true" : "fals"));
    Check(back.descpr == (form.descpr ? "true" : "fals"));
    Check(back.comment == (form.comments ? "true" : "fals"));
    Check(back.keyboff == (form.keyboff ? "true" : "fals"));
    Check(back.ddep == (form.ddep ? "true" : "fals"));
    Check(back.quantity == (form.quantity ? "true" : "fals"));
    Check(back.CODEPR == (form.codeAscii ? "true A" : form.codeNumeric ? "true N" : "falseN"));
    Check(back.curr == std::to_string(form.currency));
    Check(back.defacto == (form.defacto ? "ye" : "no"));
    Check(back.autostar == form.autostar);
    Check(back.ecrt == EcrtFromTypeText(form.type));
    return 0;
}
