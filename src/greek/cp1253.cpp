#include "greek/cp1253.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace varkon {
namespace {

// The code point of every byte. Bytes the code page leaves unassigned (0x81, 0x88, 0x8A,
// 0x8C-0x90, 0x98, 0x9A, 0x9C-0x9F, 0xAA, 0xD2, 0xFF) keep their own value, so that any byte
// string survives a trip through UTF-8.
constexpr std::array<char16_t, 128> kHighHalf = {
    // 0x80
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x008D, 0x008E, 0x008F,  //
    // 0x90
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x009D, 0x009E, 0x009F,  //
    // 0xA0
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  //
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,  //
    // 0xB0
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7,  //
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F,  //
    // 0xC0
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,  //
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F,  //
    // 0xD0
    0x03A0, 0x03A1, 0x00D2, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7,  //
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,  //
    // 0xE0
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,  //
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,  //
    // 0xF0
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,  //
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0x00FF,  //
};

constexpr char32_t CodePoint(unsigned char byte) {
    return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

// The high half sorted by code point, for the way back.
using ReversePair = std::pair<char16_t, unsigned char>;
constexpr std::array<ReversePair, 128> kReverse = [] {
    std::array<ReversePair, 128> pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairs[i] = {kHighHalf[i], static_cast<unsigned char>(0x80 + i)};
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}();

// The byte of a code point, or '?' when the code page has none.
char ByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp > 0xFFFF) return '?';
    const auto key = static_cast<char16_t>(cp);
    auto it = std::lower_bound(kReverse.begin(), kReverse.end(), key,
                               [](const ReversePair& p, char16_t k) { return p.first < k; });
    if (it == kReverse.end() || it->first != key) return '?';
    return static_cast<char>(it->second);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every code point of the page lies in the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The UTF-8 sequence a byte of 0x80 or above starts: its length, the lead byte's bits of the code
// point and the smallest code point it may carry; length 0 when no sequence starts with it.
struct Lead {
    std::size_t length = 0;
    char32_t bits = 0;
    char32_t minimum = 0;
};

constexpr Lead LeadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, b & 0x1Fu, 0x80};
    if (b >= 0xE0 && b <= 0xEF) return {3, b & 0x0Fu, 0x800};
    if (b >= 0xF0 && b <= 0xF4) return {4, b & 0x07u, 0x10000};
    return {};
}

constexpr bool IsScalarValue(char32_t cp, char32_t minimum) {
    return cp >= minimum && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

// Upper case of every byte, as Windows does it under the Greek locale.
constexpr std::array<unsigned char, 256> kUpper = [] {
    std::array<unsigned char, 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<unsigned char>(i);
    for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 0x20);
    for (unsigned c = 0xE1; c <= 0xFB; ++c) t[c] = static_cast<unsigned char>(c - 0x20);  // α-ϋ
    t[0xF2] = 0xD3;  // ς → Σ
    t[0xDC] = 0xA2;  // ά → Ά
    t[0xDD] = 0xB8;  // έ → Έ
    t[0xDE] = 0xB9;  // ή → Ή
    t[0xDF] = 0xBA;  // ί → Ί
    t[0xFC] = 0xBC;  // ό → Ό
    t[0xFD] = 0xBE;  // ύ → Ύ
    t[0xFE] = 0xBF;  // ώ → Ώ
    return t;
}();

// The reverse of kUpper; capital sigma goes back to the medial form.
constexpr std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<unsigned char>(i);
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (kUpper[i] != i && i != 0xF2) t[kUpper[i]] = static_cast<unsigned char>(i);
    }
    return t;
}();

}  // namespace

char32_t Cp1253CodePoint(unsigned char byte) {
    return CodePoint(byte);
}

char Cp1253Byte(char32_t codePoint) {
    return ByteOf(codePoint);
}

std::string Cp1253ToUtf8(std::string_view cp1253) {
    std::string out;
    out.reserve(cp1253.size() * 2);
    for (char c : cp1253) AppendUtf8(out, CodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1253(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const Lead sequence = LeadOf(lead);
        const std::size_t length = sequence.length;
        char32_t cp = sequence.bits;
        if (length == 0) {
            out += '?';  // stray continuation byte or a lead byte no sequence may start with
            ++i;
            continue;
        }
        // A broken sequence stands for one '?', and decoding resumes at the byte that broke it.
        std::size_t taken = 1;
        while (taken < length && i + taken < n &&
               IsContinuation(static_cast<unsigned char>(utf8[i + taken]))) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        i += taken;
        if (taken < length || !IsScalarValue(cp, sequence.minimum)) {
            out += '?';
        } else {
            out += ByteOf(cp);
        }
    }
    return out;
}

namespace {

// The well-formed UTF-8 sequence of more than one byte at the start of `text`: its length and
// code point; length 0 when there is none.
struct Sequence {
    std::size_t length = 0;
    char32_t codePoint = 0;
};

Sequence SequenceAt(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80) return {};
    const Lead sequence = LeadOf(lead);
    if (sequence.length == 0) return {};
    std::size_t taken = 1;
    char32_t cp = sequence.bits;
    while (taken < sequence.length && taken < text.size() &&
           IsContinuation(static_cast<unsigned char>(text[taken]))) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[taken]) & 0x3F);
        ++taken;
    }
    if (taken < sequence.length || !IsScalarValue(cp, sequence.minimum)) return {};
    return {taken, cp};
}

}  // namespace

void Utf8Tally::add(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Sequence sequence = SequenceAt(text.substr(i));
        if (sequence.length == 0) {
            if (static_cast<unsigned char>(text[i]) >= 0x80) ++strayBytes;
            ++i;
            continue;
        }
        const char byte = ByteOf(sequence.codePoint);
        if (byte != '?' && Cp1253Assigned(static_cast<unsigned char>(byte))) ++characters;
        i += sequence.length;
    }
}

std::string MixedUtf8ToCp1253(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Sequence sequence = SequenceAt(text.substr(i));
        if (sequence.length == 0) {
            // Not a UTF-8 character: this one byte is the page's, and the next starts afresh.
            out += text[i];
            ++i;
            continue;
        }
        const char byte = ByteOf(sequence.codePoint);
        out += Cp1253Assigned(static_cast<unsigned char>(byte)) ? byte : '?';
        i += sequence.length;
    }
    return out;
}

bool Cp1253Assigned(unsigned char byte) {
    // The stand-ins of kHighHalf: the C1 code points of their own value, and three more.
    if (byte == 0xAA || byte == 0xD2 || byte == 0xFF) return false;
    return byte < 0x80 || byte >= 0xA0 || CodePoint(byte) != byte;
}

void Utf8Evidence::add(std::string_view bytes) {
    for (const char c : bytes) {
        if (!wellFormed_) return;
        const auto b = static_cast<unsigned char>(c);
        ++seen_;
        if (pending_ > 0) {
            wellFormed_ = IsContinuation(b);
            codePoint_ = (codePoint_ << 6) | (b & 0x3F);
            if (wellFormed_ && --pending_ == 0) endSequence();
        } else if (b >= 0x80) {
            const Lead sequence = LeadOf(b);
            // A stray continuation byte, or a lead byte no sequence starts with, is no UTF-8.
            wellFormed_ = sequence.length != 0;
            pending_ = static_cast<int>(sequence.length) - 1;
            codePoint_ = sequence.bits;
            minimum_ = sequence.minimum;
        }
    }
}

void Utf8Evidence::endSequence() {
    const char32_t cp = codePoint_;
    if (!IsScalarValue(cp, minimum_)) {
        wellFormed_ = false;
    } else if (cp == 0xFEFF && seen_ == 3) {
        byteOrderMark_ = true;
    } else if (const char byte = ByteOf(cp);
               byte != '?' && Cp1253Assigned(static_cast<unsigned char>(byte))) {
        inPage_ = true;
    }
}

char UpperCp1253(char c) {
    return static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}

std::string UpperCp1253(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCp1253(c);
    return out;
}

char LowerCp1253(char c) {
    return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

std::string LowerCp1253(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerCp1253(c);
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace varkon
