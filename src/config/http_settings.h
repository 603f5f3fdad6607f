// The HTTP interface's lines of param.ini. "[http] 127.0.0.1:8900" switches it on (without the
// line varkond serves nothing); "[http_origins] https://pos.example.com http://localhost:3000"
// lists the web pages a browser may call it from, blank-separated, on as many lines as needed.
// Nothing here opens a socket: varkond's front end reads these and serves.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/param_settings.h"

namespace varkon {

struct HttpSettings {
    bool enabled = false;
    std::string address = "127.0.0.1";  // loopback unless another address is written
    int port = 8900;
    std::vector<std::string> origins;  // exactly as written: scheme, host and port
    // Why the [http] line cannot be used (UTF-8, Greek); then the interface stays off.
    std::string error;
};

// Reads the lines from param.ini's text; later lines of the same key win, origins add up.
HttpSettings ParseHttpSettings(std::string_view paramText);
// The same from the file; a missing file means no interface.
HttpSettings ReadHttpSettings(const std::filesystem::path& file = kParamFile);

// param.ini's text as it is (at most its first megabyte); empty when it cannot be read.
std::string ReadParamText(const std::filesystem::path& file = kParamFile);

// The HTTP lines of param.ini's text, CR LF each, as the settings dialog keeps them when it
// writes the file anew.
std::string HttpSettingLines(std::string_view paramText);

}  // namespace varkon
