#include "app/base/fs_path.h"

#include "greek/cp1253.h"

namespace varkon {
namespace {

// Windows wants UTF-16 paths. Both directions go through the program's own code page table, so a
// name shown to the operator and the name the file system sees are the same letters. The helpers
// compile everywhere so that they are checked on every build.

[[maybe_unused]] std::wstring Cp1253ToWide(std::string_view cp1253) {
    std::wstring wide;
    wide.reserve(cp1253.size());
    for (char c : cp1253)
        wide += static_cast<wchar_t>(Cp1253CodePoint(static_cast<unsigned char>(c)));
    return wide;
}

// UTF-16 (or UTF-32 where wchar_t is wide enough) to code page 1253; whatever the page lacks
// becomes '?', a surrogate pair a single '?'.
[[maybe_unused]] std::string WideToCp1253(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto cp = static_cast<char32_t>(wide[i]);
        const bool pair = cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() &&
                          static_cast<char32_t>(wide[i + 1]) >= 0xDC00 &&
                          static_cast<char32_t>(wide[i + 1]) <= 0xDFFF;
        if (pair) ++i;
        out += pair ? '?' : Cp1253Byte(cp);
    }
    return out;
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
