// LineFormat: the serial line's settings (speed, parity, data bits, stop bits) as typed values.
// The text form "9600,n,8,1" is read here once; the link and the ports take only the typed
// value, and whether the line can really take it is the port's to say.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varkon {

enum class Parity { kNone, kEven, kOdd };

struct LineFormat {
    unsigned long baud = 9600;
    Parity parity = Parity::kNone;
    int dataBits = 8;  // 5 to 8
    int stopBits = 1;  // 1 or 2

    bool operator==(const LineFormat&) const = default;
};

// "speed,parity,data bits,stop bits": four comma-separated fields, each trimmed of blanks and
// tabs; the speed plain digits (at most nine), parity n, e or o in either case, data bits 5 to 8,
// stop bits 1 or 2. Empty when the text is anything else.
std::optional<LineFormat> ParseLineFormat(std::string_view text);

// The settings' speed text ([baud] of param.ini, "9600") with the register's fixed no parity,
// eight data bits and one stop bit.
std::optional<LineFormat> LineFormatForSpeed(const std::string& baud);

// The text form again ("9600,n,8,1"), for the Win32 line builder and the service's log.
std::string LineFormatText(const LineFormat& format);

}  // namespace varkon
