// The settings record and the param.ini file: reading with fixed value positions, the narrow
// reading of the basic programming run, and the dialog's rewrite of the whole file.
// Nothing here shows anything: failures come back as a status for the caller to report.
#pragma once

#include <filesystem>
#include <string>

namespace varkon {

// One text value per settings key, code page 1253 bytes, exactly as read (never converted).
// Boolean settings are the four-character texts "true" and "fals".
struct ParamSettings {
    std::string port;
    std::string baud;
    std::string file;
    std::string codeType;
    std::string registerType;
    std::string multi;
    std::string delay;
    std::string printDescription;
    std::string printCode;
    std::string comment;
    std::string currency;
    std::string converter;
    std::string keyboardOff;
    std::string directDepartments;
    std::string quantity;
    std::string hostFile;
    std::string location;
    bool autoStart = false;
};

inline const std::filesystem::path kParamFile = "param.ini";

// Reads param.ini into `settings`. Every field except port, baud and autoStart starts empty;
// port and baud keep their values when the file has no line for them; autoStart is only ever set.
// Returns 0, or -1 when the file is missing or cannot be read (then `settings` is untouched).
int ReadSettings(ParamSettings& settings, const std::filesystem::path& file = kParamFile);

// The three values the basic programming run takes from param.ini, with its own narrower rules.
struct ProgrammingSettings {
    std::string file;       // from "[file] ", at most 12 characters, blanks trimmed
    std::string location;   // from "[location]", at most 255 characters, blanks trimmed
    bool numbered = false;  // "[multi type]" with "true" at position 14
};
int ReadProgrammingSettings(ProgrammingSettings& out,
                            const std::filesystem::path& file = kParamFile);

// What the settings dialog's controls hold when it is confirmed (texts in code page 1253).
struct SettingsForm {
    std::string port;  // comtxt, written in lower case
    std::string baud;  // baudtxt, written in lower case
    std::string file;  // filetxt, as typed
    std::string type;  // typetxt: "MikroPos", "Pos21", "Tec  Fiscal Printer", ... any case
    bool multi = false;
    bool printDescription = false;
    bool codeAscii = false;
    bool codeNumeric = false;
    bool comments = false;
    int currency = 0;       // 0, 1 or 2
    std::string converter;  // cnvtxt; the none-entry writes no line
    bool keyboardOff = false;
    bool directDepartments = false;
    bool quantity = false;
    bool autoStart = false;
    bool hostFile = false;
    std::string location;
};

// The register type a type box text stands for: "mikro", "pos21", "TECFP", or "" for none.
std::string EcrtFromTypeText(const std::string& typeText);

// Today's local date as mm-dd-yyyy.
std::string TodayForSettings();

// Writes the whole 38-line layout with CR LF line ends, replacing the file atomically (a
// temporary file beside it, flushed, then renamed over it). Returns 0, or -1 (old file kept).
int WriteSettings(const SettingsForm& form, const std::string& date = TodayForSettings(),
                  const std::filesystem::path& file = kParamFile);

}  // namespace varkon
