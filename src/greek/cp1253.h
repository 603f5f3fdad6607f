// Windows Greek (code page 1253) text: conversion to and from UTF-8, and upper/lower case as
// Windows does it under the Greek locale. Every text that comes from a file or goes to the
// wire is a std::string of code page 1253 bytes; only the Surface and file-system paths see UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace varkon {

// Every byte has a code point: the bytes code page 1253 leaves unassigned map to the code point
// of the same value, so Cp1253ToUtf8 followed by Utf8ToCp1253 gives back the same bytes.
std::string Cp1253ToUtf8(std::string_view cp1253);

// Characters outside code page 1253 (and malformed UTF-8 sequences) become '?'.
std::string Utf8ToCp1253(std::string_view utf8);
// A text that is UTF-8 only in part (a code page 1253 byte in a UTF-8 file, or its lines mixed):
// every well-formed UTF-8 sequence becomes its character of the page ('?' where the page has
// none), and every other byte stays the code-page byte it is. Each character keeps exactly one
// byte, so no column moves, whichever way a part of the text was written.
std::string MixedUtf8ToCp1253(std::string_view text);

// How much of a text reads as UTF-8: its well-formed sequences of more than one byte that stand
// for a character of the page, and its bytes of 0x80 and above that belong to no well-formed
// sequence. A UTF-8 text with one stray byte has many of the first and one of the second; a code
// page 1253 text, the other way round.
struct Utf8Tally {
    std::size_t characters = 0;
    std::size_t strayBytes = 0;
    void add(std::string_view text);
};

// One character: the code point of a byte, and the byte of a code point ('?' when the page has
// none). For conversions to encodings other than UTF-8, such as Windows' UTF-16 file names.
char32_t Cp1253CodePoint(unsigned char byte);
char Cp1253Byte(char32_t codePoint);

// False for the bytes the code page leaves unassigned (see Cp1253ToUtf8): a text converted from
// UTF-8 holds one only where the UTF-8 named that byte's stand-in code point, not a character.
bool Cp1253Assigned(unsigned char byte);

// Tells, from a text given piece by piece, whether it is UTF-8 to be read as code page 1253:
// every sequence is well formed, and it begins with the byte order mark or holds at least one
// sequence of more than one byte that stands for a character of the page (a Greek letter, say).
// Plain ASCII never is; a code page 1253 text with Greek words is, in practice, never well formed
// UTF-8, since a Greek letter there is a lead byte followed by another letter or a blank.
class Utf8Evidence {
  public:
    void add(std::string_view bytes);
    bool utf8() const { return wellFormed_ && pending_ == 0 && (inPage_ || byteOrderMark_); }

  private:
    void endSequence();

    std::size_t seen_ = 0;  // bytes taken so far
    char32_t codePoint_ = 0;
    char32_t minimum_ = 0;
    int pending_ = 0;  // continuation bytes the sequence still needs
    bool wellFormed_ = true;
    bool inPage_ = false;
    bool byteOrderMark_ = false;
};

// Latin a-z, Greek small letters (final sigma to capital sigma), accented small letters to
// accented capitals, dialytika small letters to dialytika capitals; the letters with both accent
// and dialytika have no capital in the code page and stay as they are.
char UpperCp1253(char c);
std::string UpperCp1253(std::string_view text);

// The text without its leading and trailing blanks (blanks only: fixed-column files pad with
// blanks, and a tab or other byte there is part of the value).
std::string_view TrimBlanks(std::string_view text);

// The reverse mapping of UpperCp1253 (capital sigma becomes the medial sigma).
char LowerCp1253(char c);
std::string LowerCp1253(std::string_view text);

}  // namespace varkon
