// UTF-8 text of the engine (std::string, std::string_view) as Qt shows it; the one conversion
// the desktop window's files share.
#pragma once

#include <QString>
#include <string_view>

namespace varkon {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace varkon
