#include "app/base/fs_path.h"

#include "greek/cp1253.h"

namespace varkon {
namespace {

// Windows wants UTF-16 paths. Both directions go through the program's own code page table, so a
// name shown to the operator and the name the file system sees are the same letters. The helpers
// compile everywhere so that they are checked on every build.

// Decodes UTF-8 that Cp1253ToUtf8 produced: well formed, Basic Multilingual Plane only.
[[maybe_unused]] std::wstring Cp1253ToWide(std::string_view cp1253) {
    const std::string utf8 = Cp1253ToUtf8(cp1253);
    std::wstring wide;
    wide.reserve(cp1253.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xE0) {
            cp = lead & 0x0F, length = 3;
        } else if (lead >= 0xC0) {
            cp = lead & 0x1F, length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        wide += static_cast<wchar_t>(cp);
        i += length;
    }
    return wide;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 (or UTF-32 where wchar_t is wide enough) to code page 1253; whatever the page lacks,
// including a lone surrogate, becomes '?'.
[[maybe_unused]] std::string WideToCp1253(std::wstring_view wide) {
    std::string utf8;
    utf8.reserve(wide.size() * 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto cp = static_cast<char32_t>(wide[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
            const auto low = static_cast<char32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            utf8 += '?';
        } else {
            AppendUtf8(utf8, cp);
        }
    }
    return Utf8ToCp1253(utf8);
}

}  // namespace

#ifdef _WIN32

std::filesystem::path ToFsPath(std::string_view cp1253Path) {
    return std::filesystem::path(Cp1253ToWide(cp1253Path));
}

std::string FromFsPath(const std::filesystem::path& path) {
    return WideToCp1253(path.native());
}

#else

std::filesystem::path ToFsPath(std::string_view cp1253Path) {
    return std::filesystem::path(Cp1253ToUtf8(cp1253Path));
}

std::string FromFsPath(const std::filesystem::path& path) {
    return Utf8ToCp1253(path.native());
}

#endif

}  // namespace varkon
