#include "config/line_format.h"

#include <algorithm>
#include <vector>

namespace varkon {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// Plain decimal digits, at most nine of them (every real speed fits).
std::optional<unsigned long> SmallNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    unsigned long value = 0;
    for (char c : text) value = value * 10 + static_cast<unsigned long>(c - '0');
    return value;
}

}  // namespace

std::optional<LineFormat> ParseLineFormat(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(Trimmed(text.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (fields.size() != 4) return std::nullopt;

    LineFormat format;
    const std::optional<unsigned long> baud = SmallNumber(fields[0]);
    if (!baud) return std::nullopt;
    format.baud = *baud;

    if (fields[1] == "n" || fields[1] == "N") {
        format.parity = Parity::kNone;
    } else if (fields[1] == "e" || fields[1] == "E") {
        format.parity = Parity::kEven;
    } else if (fields[1] == "o" || fields[1] == "O") {
        format.parity = Parity::kOdd;
    } else {
        return std::nullopt;
    }

    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8') return std::nullopt;
    format.dataBits = fields[2][0] - '0';
    if (fields[3] != "1" && fields[3] != "2") return std::nullopt;
    format.stopBits = fields[3][0] - '0';
    return format;
}

std::optional<LineFormat> LineFormatForSpeed(const std::string& baud) {
    const std::optional<unsigned long> speed = SmallNumber(Trimmed(baud));
    if (!speed) return std::nullopt;
    LineFormat format;  // no parity, eight data bits, one stop bit
    format.baud = *speed;
    return format;
}

std::string LineFormatText(const LineFormat& format) {
    const char parity = format.parity == Parity::kEven  ? 'e'
                        : format.parity == Parity::kOdd ? 'o'
                                                        : 'n';
    return std::to_string(format.baud) + "," + parity + "," + std::to_string(format.dataBits) +
           "," + std::to_string(format.stopBits);
}

}  // namespace varkon
