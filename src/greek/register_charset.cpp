#include "greek/register_charset.h"

#include <array>

#include "greek/cp1253.h"

namespace varkon {
namespace {

using ByteTable = std::array<unsigned char, 256>;

struct LetterCode {
    const char* letter;  // one letter, UTF-8
    unsigned char code;
};

// Windows Greek letter → the register's code. Capitals that look like Latin capitals travel as
// the Latin letter; Σ takes the position of the Latin small f; ω and ώ share one code; accented
// capitals lose their accent. Letters with dialytika other than ϋ are not here and pass unchanged.
constexpr LetterCode kMikroCodes[] = {
    {"Α", 65},  {"Β", 66},  {"Γ", 133}, {"Δ", 134}, {"Ε", 69},  {"Ζ", 90},  {"Η", 72},  {"Θ", 135},
    {"Ι", 73},  {"Κ", 75},  {"Λ", 136}, {"Μ", 77},  {"Ν", 78},  {"Ξ", 137}, {"Ο", 79},  {"Π", 138},
    {"Ρ", 80},  {"Σ", 102}, {"Τ", 84},  {"Υ", 89},  {"Φ", 139}, {"Χ", 88},  {"Ψ", 140}, {"Ω", 141},
    {"α", 214}, {"β", 215}, {"γ", 216}, {"δ", 221}, {"ε", 222}, {"ζ", 224}, {"η", 225}, {"θ", 226},
    {"ι", 227}, {"κ", 228}, {"λ", 229}, {"μ", 230}, {"ν", 231}, {"ξ", 232}, {"ο", 233}, {"π", 234},
    {"ρ", 235}, {"σ", 236}, {"ς", 237}, {"τ", 238}, {"υ", 242}, {"φ", 243}, {"χ", 244}, {"ψ", 245},
    {"ω", 250}, {"ά", 155}, {"έ", 157}, {"ή", 158}, {"ί", 159}, {"ό", 162}, {"ύ", 163}, {"ϋ", 251},
    {"ώ", 250}, {"Ά", 65},  {"Έ", 69},  {"Ή", 72},  {"Ί", 73},  {"Ό", 79},  {"Ύ", 89},  {"Ώ", 141},
};
static_assert(std::size(kMikroCodes) == 64);

// DOS Greek (code page 737) byte → the same letter in Windows Greek. The letters with dialytika
// (0xE4, 0xE8, 0xF4, 0xF5) are left as they are.
constexpr const char* kDosCapitals = "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ";  // from 0x80
constexpr const char* kDosSmall = "αβγδεζηθικλμνξοπρσςτυφχψ";     // from 0x98
struct DosLetter {
    unsigned char dos;
    const char* letter;
};
constexpr DosLetter kDosOthers[] = {
    {0xE0, "ω"}, {0xE1, "ά"}, {0xE2, "έ"}, {0xE3, "ή"}, {0xE5, "ί"},
    {0xE6, "ό"}, {0xE7, "ύ"}, {0xE9, "ώ"}, {0xEA, "Ά"}, {0xEB, "Έ"},
    {0xEC, "Ή"}, {0xED, "Ί"}, {0xEE, "Ό"}, {0xEF, "Ύ"}, {0xF0, "Ώ"},
};

ByteTable Identity() {
    ByteTable t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<unsigned char>(i);
    return t;
}

unsigned char ByteOfLetter(const char* utf8Letter) {
    return static_cast<unsigned char>(Utf8ToCp1253(utf8Letter).at(0));
}

const ByteTable& MikroTable() {
    static const ByteTable table = [] {
        ByteTable t = Identity();
        for (const auto& entry : kMikroCodes) t[ByteOfLetter(entry.letter)] = entry.code;
        return t;
    }();
    return table;
}

const ByteTable& DosTable() {
    static const ByteTable table = [] {
        ByteTable t = Identity();
        const std::string capitals = Utf8ToCp1253(kDosCapitals);
        for (std::size_t i = 0; i < capitals.size(); ++i) {
            t[0x80 + i] = static_cast<unsigned char>(capitals[i]);
        }
        const std::string small = Utf8ToCp1253(kDosSmall);
        for (std::size_t i = 0; i < small.size(); ++i) {
            t[0x98 + i] = static_cast<unsigned char>(small[i]);
        }
        for (const auto& entry : kDosOthers) t[entry.dos] = ByteOfLetter(entry.letter);
        return t;
    }();
    return table;
}

std::string Translate(std::string_view text, const ByteTable& table) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

}  // namespace

void RegisterCharset::convert(std::string_view text, std::int16_t conversion) {
    if (conversion == kToRegisterCodes) {
        result_ = ToMikroCodes(text);
    } else if (conversion == kFromDosGreek) {
        result_ = FromDosGreek(text);
    }
}

std::string RegisterCharset::ToMikroCodes(std::string_view text) {
    return Translate(text, MikroTable());
}

std::string RegisterCharset::FromDosGreek(std::string_view text) {
    return Translate(text, DosTable());
}

}  // namespace varkon
