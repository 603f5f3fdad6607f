#include "config/param_settings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "config/http_settings.h"
#include "greek/cp1253.h"
#include "platform/files.h"
#include "platform/system.h"

namespace varkon {

namespace {

namespace fs = std::filesystem;

// No value of the full reading reaches past byte 110 of its line; the narrow reading looks at
// most at byte 266. Anything after that is skipped without being stored, so a file with one
// enormous line costs no more memory than a short one.
constexpr std::size_t kSettingsLineKeep = 128;
constexpr std::size_t kProgrammingLineKeep = 272;

// Hands every line of `file` to `onLine`, cut to its first `keep` bytes. CR LF, a lone LF and a
// lone CR each end a line; every other byte, NUL included, is an ordinary character.
// Returns 0, or -1 when the file cannot be opened or read.
template <class OnLine>
int ScanLines(const fs::path& file, std::size_t keep, OnLine&& onLine) {
    std::FILE* in = OpenForReading(file);
    if (in == nullptr) {
        return -1;
    }
    std::string line;
    line.reserve(keep);
    bool lineOpen = false;
    bool afterCr = false;
    std::array<char, 8192> buffer;
    for (;;) {
        std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
        for (std::size_t i = 0; i < got; ++i) {
            char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = false;
            if (c == '\r' || c == '\n') {
                onLine(std::string_view(line));
                line.clear();
                lineOpen = false;
                afterCr = c == '\r';
                continue;
            }
            lineOpen = true;
            if (line.size() < keep) {
                line.push_back(c);
            }
        }
        if (got < buffer.size()) {
            break;
        }
    }
    bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        return -1;
    }
    if (lineOpen) {
        onLine(std::string_view(line));
    }
    return 0;
}

// The value of a setting line: from the 1-based `position`, at most `length` characters,
// shorter or empty when the line ends earlier.
std::string ValueAt(std::string_view line, std::size_t position, std::size_t length) {
    if (line.size() < position) {
        return {};
    }
    return std::string(line.substr(position - 1, length));
}

struct KeyRule {
    std::string_view key;
    std::string ParamSettings::*field;
    std::size_t position;
    std::size_t length;
};

constexpr std::array<KeyRule, 17> kKeyRules{{
    {"[port]", &ParamSettings::port, 8, 4},
    {"[baud]", &ParamSettings::baud, 8, 5},
    {"[file]", &ParamSettings::file, 8, 30},
    {"[code]", &ParamSettings::codeType, 8, 3},
    {"[ecrt]", &ParamSettings::registerType, 8, 5},
    {"[multi type]", &ParamSettings::multi, 14, 4},
    {"[time]", &ParamSettings::delay, 8, 5},
    {"[print_desc]", &ParamSettings::printDescription, 14, 4},
    {"[print_code]", &ParamSettings::printCode, 14, 6},
    {"[comments]", &ParamSettings::comment, 12, 4},
    {"[currency]", &ParamSettings::currency, 12, 1},
    {"[convert2]", &ParamSettings::converter, 12, 12},
    {"[keyb_off]", &ParamSettings::keyboardOff, 12, 4},
    {"[dir_depa]", &ParamSettings::directDepartments, 12, 4},
    {"[quantity]", &ParamSettings::quantity, 12, 4},
    {"[Defacto_]", &ParamSettings::hostFile, 12, 2},
    {"[location]", &ParamSettings::location, 12, 99},
}};

constexpr std::string_view kAutoStartLine = "[AUTOSTAR]=YES";

void ApplySettingLine(std::string_view line, ParamSettings& read) {
    for (const KeyRule& rule : kKeyRules) {
        if (line.starts_with(rule.key)) {
            read.*rule.field = ValueAt(line, rule.position, rule.length);
        }
    }
    if (line.size() >= kAutoStartLine.size() &&
        UpperCp1253(line.substr(0, kAutoStartLine.size())) == kAutoStartLine) {
        read.autoStart = true;
    }
}

std::string TrueFalse(bool value) {
    return value ? "true" : "false";
}
std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string SettingsText(const SettingsForm& form, const std::string& date,
                         const std::string& keptLines) {
    static const std::string kNoConverter = Utf8ToCp1253("Xωρις");
    std::string out;
    auto line = [&out](std::string_view text) {
        out.append(text);
        out.append("\r\n");
    };
    line("# Set up for varkon program");
    line("Created by  Varkon on " + date);
    line("# Serial port setup. This can be Com1 or Com2,Com3,Com4 ");
    line("[port] " + LowerCp1253(form.port));
    line("# Baud rate setup. This usually is 9600. Valid baude rates are : 19200,9600");
    line("# 4800,2400,1200. It can go low as 120 but with not tested results.");
    line("[baud] " + LowerCp1253(form.baud));
    line("# The file that the main application is exchanging data with Quorvel.");
    line("# Depending on the application this can be managed to process receipts in a row.");
    line("# Setup the application to generate  \\myapp\\print.1 and varcon will");
    line("# try to see if pending receipts are in files \\myapp\\print.2 ... print.10");
    line("# This has also to do with [multi type] on or off");
    line("[file] " + form.file);
    line("");
    line("# yes or no Depending on type structure");
    line("[code] no");
    line("# Type of machine");
    std::string ecrt = EcrtFromTypeText(form.type);
    if (!ecrt.empty()) {
        line("[ecrt] " + ecrt);
    }
    line("[multi type] " + TrueFalse(form.multi));
    line("[time] 0");
    line("[subtotal] yes");
    line("[print_desc] " + TrueFalse(form.printDescription));
    if (form.codeAscii) {
        line("[print_code] true A");
    }
    if (form.codeNumeric) {
        line("[print_code] true N");
    }
    if (!form.codeAscii && !form.codeNumeric) {
        line("[print_code] falseN");
    }
    line("[comments] " + TrueFalse(form.comments));
    // Only the three settlement options exist; anything else is the first one.
    line("[currency]=" + std::string(1, form.currency == 1 ? '1' : form.currency == 2 ? '2' : '0'));
    if (form.converter != kNoConverter) {
        line("[convert2]=" + form.converter);
    }
    line(form.keyboardOff ? "[keyb_off]=true " : "[keyb_off]=false");
    line("[dir_depa]=" + TrueFalse(form.directDepartments));
    line("[quantity]=" + TrueFalse(form.quantity));
    line("[AutoStar]=" + YesNo(form.autoStart));
    line("################################");
    line("# Customer Specific Parameters #");
    line("################################");
    line("[Defacto_]=" + YesNo(form.hostFile));
    line("[location] " + form.location);
    out += keptLines;
    line("# End of parameter file #");
    return out;
}

}  // namespace

int ReadSettings(ParamSettings& settings, const std::filesystem::path& file) {
    ParamSettings read;
    read.port = settings.port;
    read.baud = settings.baud;
    read.autoStart = settings.autoStart;
    int status = ScanLines(file, kSettingsLineKeep,
                           [&read](std::string_view line) { ApplySettingLine(line, read); });
    if (status != 0) {
        return -1;
    }
    settings = std::move(read);
    return 0;
}

int ReadProgrammingSettings(ProgrammingSettings& out, const std::filesystem::path& file) {
    ProgrammingSettings read;
    int status = ScanLines(file, kProgrammingLineKeep, [&read](std::string_view line) {
        if (line.starts_with("[file] ")) {
            read.file = std::string(TrimBlanks(ValueAt(line, 8, 12)));
        }
        if (line.starts_with("[location]")) {
            read.location = std::string(TrimBlanks(ValueAt(line, 12, 255)));
        }
        if (line.starts_with("[multi type]") && ValueAt(line, 14, 4) == "true") {
            read.numbered = true;
        }
    });
    if (status != 0) {
        return -1;
    }
    out = std::move(read);
    return 0;
}

std::string EcrtFromTypeText(const std::string& typeText) {
    std::string type = LowerCp1253(typeText);
    if (type == "mikropos") {
        return "mikro";
    }
    if (type == "pos21" || type == "poseidon 21") {
        return "pos21";
    }
    if (type == "tec  fiscal printer") {
        return "TECFP";
    }
    return {};
}

std::string TodayForSettings() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!LocalTime(now, local)) {
        return {};
    }
    std::array<char, 16> text{};
    std::size_t length = std::strftime(text.data(), text.size(), "%m-%d-%Y", &local);
    return std::string(text.data(), length);
}

int WriteSettings(const SettingsForm& form, const std::string& date,
                  const std::filesystem::path& file) {
    // The dialog knows nothing of the HTTP interface; its lines stay as they were.
    return ReplaceFileAtomically(file,
                                 SettingsText(form, date, HttpSettingLines(ReadParamText(file))));
}

}  // namespace varkon
