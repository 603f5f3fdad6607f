#include "greek/register_text.h"

#include "greek/cp1253.h"

namespace varkon {
namespace {

// The external converter's flag for every text the program sends.
constexpr std::int16_t kConverterFlag = -1;

// Accented small letters become capitals without the accent; six of them the Latin look-alikes,
// ώ the Greek capital Ω (the register has no Latin look-alike for it).
std::string StripAccents(std::string text) {
    static const std::string from = Utf8ToCp1253("άέήίόύώ");
    static const std::string to = Utf8ToCp1253("AEHIOYΩ");
    for (char& c : text) {
        if (auto pos = from.find(c); pos != std::string::npos) c = to[pos];
    }
    return text;
}

}  // namespace

std::string PrepareRegisterText(TextConverter& converter, RegisterCharset& charset,
                                std::string_view text, bool saleDescription) {
    converter.Write(text, kConverterFlag);
    std::string prepared = StripAccents(converter.Read());
    if (saleDescription) {
        // In sale descriptions byte 0x83 stands for Δ.
        static const char delta = Utf8ToCp1253("Δ").at(0);
        for (char& c : prepared) {
            if (static_cast<unsigned char>(c) == 0x83) c = delta;
        }
    }
    charset.convert(UpperCp1253(prepared), kToRegisterCodes);
    return charset.converted();
}

std::string PrepareFooterText(RegisterCharset& charset, std::string_view text) {
    charset.convert(UpperCp1253(text), kToRegisterCodes);
    return charset.converted();
}

}  // namespace varkon
