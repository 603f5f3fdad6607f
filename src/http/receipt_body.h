// The checks a receipt handed in over HTTP passes before anything of it is kept: its key is the
// client's own and never names a file; its body is a print file of the same fixed-column records
// the folder takes (code page 1253, or UTF-8), every record of which reads. A body that fails is
// refused whole, so no receipt is ever half-sent for a bad line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varkon {

// 1 to 64 characters of A-Z, a-z, 0-9 and "-._~" (what a URL path carries unescaped).
bool IsReceiptKey(std::string_view key);

struct BodyCheck {
    bool ok = false;
    std::size_t line = 0;    // 1-based line of the first fault; 0 when it is the whole body
    std::size_t column = 0;  // 1-based column within it; 0 when the line as such is wrong
    std::string message;     // UTF-8, Greek
};

// Reads the body as the printer would: UTF-8 when it is well-formed UTF-8 with Greek letters,
// else code page 1253; lines end in CR LF, LF or CR. It must hold at least one record and no
// record that cannot be read, and no NUL byte.
BodyCheck CheckReceiptBody(std::string_view body);

}  // namespace varkon
