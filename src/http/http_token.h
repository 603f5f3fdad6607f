// The token every HTTP request but /health must carry (Authorization: Bearer <token>). It is
// made on the first start, 64 hexadecimal digits from the system's random source, into a file
// of the work folder that only the service's user may read; `varkond --http-token` shows it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varkon {

inline const std::filesystem::path kHttpTokenFile = "http.token";

// The token of `file`, made first when there is none; empty when it can be neither read nor
// written (`error` says why, UTF-8).
std::string ReadOrMakeHttpToken(const std::filesystem::path& file, std::string& error);

// Compares in a time that does not depend on where the two first differ.
bool SameToken(std::string_view given, std::string_view token);

}  // namespace varkon
