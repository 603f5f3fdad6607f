// The text chains that turn a line of a print file into register codes: the full chain for
// descriptions, comments, modifier texts and programming commands, and the shorter footer chain.
#pragma once

#include <string>
#include <string_view>

#include "greek/register_charset.h"
#include "greek/text_converter.h"

namespace varkon {

// External converter (flag -1), accented small letters to capitals without accent (ώ to Ω),
// optionally byte 131 to Δ (sale descriptions only), upper case, then the register codes.
std::string PrepareRegisterText(TextConverter& converter, RegisterCharset& charset,
                                std::string_view text, bool saleDescription);

// Footer lines: upper case, then the register codes; the external converter is not called.
std::string PrepareFooterText(RegisterCharset& charset, std::string_view text);

}  // namespace varkon
