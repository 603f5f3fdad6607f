#include "config/http_settings.h"

#include <charconv>
#include <cstdio>

#include "platform/files.h"

namespace varkon {

namespace {

constexpr std::string_view kHttpKey = "[http]";
constexpr std::string_view kOriginsKey = "[http_origins]";

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// An IPv4 address of four numbers 0-255.
bool IsAddress(std::string_view text) {
    int parts = 0;
    while (!text.empty()) {
        const std::size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > 3 || error != std::errc() ||
            end != part.data() + part.size() || value > 255) {
            return false;
        }
        ++parts;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
        if (text.empty()) return false;
    }
    return parts == 4;
}

void ReadHttpLine(std::string_view value, HttpSettings& settings) {
    settings.enabled = false;
    settings.error.clear();
    const std::size_t colon = value.rfind(':');
    const std::string_view host =
        colon == std::string_view::npos ? std::string_view() : value.substr(0, colon);
    const std::string_view portText =
        colon == std::string_view::npos ? value : value.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() ||
        port == 0 || port > 65535) {
        settings.error =
            "Η γραμμή [http] του param.ini δεν ορίζει θύρα (1-65535): " + std::string(value);
        return;
    }
    std::string address = "127.0.0.1";
    if (!host.empty()) {
        if (host != "localhost" && !IsAddress(host)) {
            settings.error =
                "Η γραμμή [http] του param.ini δεν ορίζει διεύθυνση IPv4: " + std::string(value);
            return;
        }
        address = host == "localhost" ? "127.0.0.1" : std::string(host);
    }
    settings.address = address;
    settings.port = static_cast<int>(port);
    settings.enabled = true;
}

}  // namespace

std::string ReadParamText(const std::filesystem::path& file) {
    // param.ini is a page of text; a file grown beyond all reason is read no further.
    constexpr std::size_t kMost = 1 << 20;
    std::string text;
    std::FILE* in = OpenForReading(file);
    if (in == nullptr) return text;
    char buffer[8192];
    std::size_t got = 0;
    while (text.size() < kMost && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(in);
    return text;
}

HttpSettings ParseHttpSettings(std::string_view paramText) {
    HttpSettings settings;
    for (const std::string_view line : Lines(paramText)) {
        if (line.starts_with(kOriginsKey)) {
            std::string_view rest = line.substr(kOriginsKey.size());
            while (!(rest = TrimBlanks(rest)).empty()) {
                const std::size_t blank = rest.find_first_of(" \t");
                settings.origins.emplace_back(rest.substr(0, blank));
                if (blank == std::string_view::npos) break;
                rest.remove_prefix(blank);
            }
        } else if (line.starts_with(kHttpKey)) {
            ReadHttpLine(TrimBlanks(line.substr(kHttpKey.size())), settings);
        }
    }
    return settings;
}

HttpSettings ReadHttpSettings(const std::filesystem::path& file) {
    return ParseHttpSettings(ReadParamText(file));
}

std::string HttpSettingLines(std::string_view paramText) {
    std::string out;
    for (const std::string_view line : Lines(paramText)) {
        if (line.starts_with(kHttpKey) || line.starts_with(kOriginsKey)) {
            out.append(line);
            out.append("\r\n");
        }
    }
    return out;
}

}  // namespace varkon
