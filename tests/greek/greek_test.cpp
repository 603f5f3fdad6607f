#include <gtest/gtest.h>

#include <random>
#include <string>

#include "greek/cp1253.h"
#include "greek/register_charset.h"
#include "greek/register_text.h"

namespace varkon {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string AllBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

std::string Cp(const char* utf8) {
    return Utf8ToCp1253(utf8);
}

TEST(Cp1253, EveryByteSurvivesTheTripThroughUtf8) {
    EXPECT_EQ(AllBytes(), Utf8ToCp1253(Cp1253ToUtf8(AllBytes())));
}

TEST(Cp1253, LettersAndSignsHaveTheirCodePoints) {
    EXPECT_EQ("€ƒ…’–—™΅Ά£΄µΈΉΊΌΎΏΐ",
              Cp1253ToUtf8(Bytes({0x80, 0x83, 0x85, 0x92, 0x96, 0x97, 0x99, 0xA1, 0xA2, 0xA3, 0xB4,
                                  0xB5, 0xB8, 0xB9, 0xBA, 0xBC, 0xBE, 0xBF, 0xC0})));
    EXPECT_EQ("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩΪΫάέήίΰ",
              Cp1253ToUtf8(AllBytes().substr(0xC1, 0x11) + AllBytes().substr(0xD3, 0x0E)));
    EXPECT_EQ("αβγδεζηθικλμνξοπρςστυφχψωϊϋόύώ", Cp1253ToUtf8(AllBytes().substr(0xE1, 0x1E)));
}

TEST(Cp1253, UnassignedBytesStandForTheCodePointOfTheSameValue) {
    for (int b : {0x81, 0x88, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x98, 0x9A, 0x9C, 0x9D, 0x9E,
                  0x9F, 0xAA, 0xD2, 0xFF}) {
        const std::string utf8 = Bytes({0xC0 | (b >> 6), 0x80 | (b & 0x3F)});
        EXPECT_EQ(utf8, Cp1253ToUtf8(Bytes({b}))) << b;
        EXPECT_EQ(Bytes({b}), Utf8ToCp1253(utf8)) << b;
    }
}

TEST(Cp1253, CharactersOutsideThePageAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ("a?b?c?", Utf8ToCp1253("aäbЖc😀"));
    EXPECT_EQ("?", Utf8ToCp1253("\x80"));               // lone continuation byte
    EXPECT_EQ("?A", Utf8ToCp1253(Bytes({0xCE, 'A'})));  // sequence cut short
    EXPECT_EQ("x?", Utf8ToCp1253("x\xE2\x82"));         // cut short at the end
    EXPECT_EQ("??", Utf8ToCp1253("\xC0\xAF"));          // overlong '/'
    EXPECT_EQ("?", Utf8ToCp1253("\xED\xA0\x80"));       // surrogate
    EXPECT_EQ("?", Utf8ToCp1253("\xF4\x90\x80\x80"));   // above U+10FFFF
    EXPECT_EQ(Bytes({0x80, 0xC1, 0x00, 0x41}), Utf8ToCp1253(std::string("€Α\0A", 7)));
}

TEST(Utf8Evidence, OnlyWellFormedUtf8WithALetterOfThePageOrAByteOrderMarkCounts) {
    auto utf8 = [](std::initializer_list<std::string> pieces) {
        Utf8Evidence evidence;
        for (const std::string& piece : pieces) evidence.add(piece);
        return evidence.utf8();
    };
    EXPECT_TRUE(utf8({" PLU Καφές 3.00\r\n"}));
    EXPECT_TRUE(utf8({"x \xCE", "\xB1 y"}));  // α split between two reads
    EXPECT_TRUE(utf8({"price 2 €"}));
    EXPECT_TRUE(utf8({"\xEF\xBB\xBF plain"}));
    EXPECT_FALSE(utf8({" PLU plain ascii\r\n", ""}));
    EXPECT_FALSE(utf8({Cp(" PLU Καφές 3.00\r\n")}));
    EXPECT_FALSE(utf8({"✓ Ж ä only outside the page"}));
    EXPECT_FALSE(utf8({"\xC2\x81 \xC3\x92"}));   // stand-ins of unassigned bytes
    EXPECT_FALSE(utf8({"Καφές \xCE"}));          // cut short at the end
    EXPECT_FALSE(utf8({"Καφές \xC0\xAF"}));      // overlong
    EXPECT_FALSE(utf8({"plain \xEF\xBB\xBF"}));  // a mark that does not begin the text
    EXPECT_FALSE(Cp1253Assigned(0x81) || Cp1253Assigned(0xD2) || Cp1253Assigned(0xFF));
    EXPECT_TRUE(Cp1253Assigned(0x80) && Cp1253Assigned(0xA0) && Cp1253Assigned(0xFE));
}

TEST(Cp1253, TextThatIsUtf8OnlyInPartKeepsOneByteForEveryCharacter) {
    // Greek in UTF-8 beside a degree sign in code page 1253, a lone code-page letter, and a
    // broken sequence: each character the writer meant is one byte.
    const std::string text = "Καφές 80" + std::string("\xB0") + "C " + "\xE1" + " \xCE";
    EXPECT_EQ(Utf8ToCp1253("Καφές 80°C α Ξ"), MixedUtf8ToCp1253(text));
    EXPECT_EQ(Utf8ToCp1253("Τσάι ?"), MixedUtf8ToCp1253("Τσάι ✓"));  // not in the page: one '?'

    Utf8Tally utf8;
    utf8.add(text);
    EXPECT_EQ(5u, utf8.characters);  // Κ α φ έ ς
    EXPECT_EQ(3u, utf8.strayBytes);
    Utf8Tally page;
    page.add(Utf8ToCp1253("Καφές ελληνικός"));
    EXPECT_EQ(0u, page.characters);
    EXPECT_EQ(14u, page.strayBytes);
}

TEST(Cp1253, RandomBytesNeverBreakTheConversions) {
    std::mt19937 random(1253);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(random() % 40, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        EXPECT_EQ(bytes, Utf8ToCp1253(Cp1253ToUtf8(bytes)));
        EXPECT_LE(Utf8ToCp1253(bytes).size(), bytes.size());
        EXPECT_EQ(bytes.size(), RegisterCharset::ToMikroCodes(bytes).size());
    }
}

TEST(Cp1253, UpperCaseFollowsTheGreekLocale) {
    EXPECT_EQ(Cp("ABCXYZ ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΣΤΥΦΧΨΩ ΆΈΉΊΌΎΏ ΪΫ ΐΰ µ 09ƒ"),
              UpperCp1253(Cp("abcxyz αβγδεζηθικλμνξοπρσςτυφχψω άέήίόύώ ϊϋ ΐΰ µ 09ƒ")));
    EXPECT_EQ(Cp("abcxyz αβγδεζηθικλμνξοπρσστυφχψω άέήίόύώ ϊϋ ΐΰ µ"),
              LowerCp1253(Cp("ABCXYZ ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΣΤΥΦΧΨΩ ΆΈΉΊΌΎΏ ΪΫ ΐΰ µ")));
    int changedUp = 0, changedDown = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        changedUp += UpperCp1253(c) != c;
        changedDown += LowerCp1253(c) != c;
    }
    EXPECT_EQ(26 + 25 + 7 + 2, changedUp);  // Latin, α-ω with ς, accented, dialytika
    EXPECT_EQ(26 + 24 + 7 + 2, changedDown);
}

TEST(RegisterCharset, LettersBecomeRegisterCodes) {
    EXPECT_EQ(Bytes({102, 79, 139, 73, 65}), RegisterCharset::ToMikroCodes(Cp("ΣΟΦΙΑ")));
    EXPECT_EQ(Bytes({250, 250, 65, 141, 237, 236, 251, 133, 214}),
              RegisterCharset::ToMikroCodes(Cp("ωώΆΏςσϋΓα")));
    EXPECT_EQ("ABC 12", RegisterCharset::ToMikroCodes("ABC 12"));
    const std::string untouched = Cp("ϊΐΰΪΫ 0123456789 azAZ.,;-€µ΄");
    EXPECT_EQ(untouched, RegisterCharset::ToMikroCodes(untouched));
    int changed = 0;
    for (int b = 0; b < 256; ++b)
        changed += RegisterCharset::ToMikroCodes(Bytes({b})) != Bytes({b});
    EXPECT_EQ(63, changed);  // 64 letters, but ϋ (251) keeps its value
}

TEST(RegisterCharset, DosGreekBecomesWindowsGreek) {
    EXPECT_EQ(Cp("Ααςσψ"), RegisterCharset::FromDosGreek(Bytes({0x80, 0x98, 0xAA, 0xA9, 0xAF})));
    EXPECT_EQ(Cp("ΩωάίώΆΏ"),
              RegisterCharset::FromDosGreek(Bytes({0x97, 0xE0, 0xE1, 0xE5, 0xE9, 0xEA, 0xF0})));
    const std::string dialytika = Bytes({0xE4, 0xE8, 0xF4, 0xF5, 'A', '1'});
    EXPECT_EQ(dialytika, RegisterCharset::FromDosGreek(dialytika));
    int changed = 0;
    for (int b = 0; b < 256; ++b)
        changed += RegisterCharset::FromDosGreek(Bytes({b})) != Bytes({b});
    EXPECT_EQ(63, changed);
}

TEST(RegisterCharset, OnlyTypesZeroAndMinusOneReplaceTheStoredResult) {
    RegisterCharset charset;
    EXPECT_EQ("", charset.converted());
    charset.convert(Cp("ΣΟΦΙΑ"), 0);
    charset.convert("ABC", 1);
    charset.convert("ABC", 2);
    EXPECT_EQ(Bytes({102, 79, 139, 73, 65}), charset.converted());
    charset.convert(Bytes({0x80}), -1);
    EXPECT_EQ(Cp("Α"), charset.converted());
}

// Records what the register chain hands to the external converter and answers with a set text.
class ScriptedConverter : public TextConverter {
  public:
    void Write(std::string_view text, std::int16_t flag) override {
        written = std::string(text) + "/" + std::to_string(flag);
    }
    std::string Read() const override { return answer; }
    std::string written, answer;
};

TEST(RegisterText, AccentedLettersBecomePlainCapitals) {
    Cnv437869G converter;
    RegisterCharset charset;
    EXPECT_EQ(Bytes({75, 65, 139, 69, 102}),
              PrepareRegisterText(converter, charset, Cp("Καφές"), false));
    EXPECT_EQ(Bytes({75, 65, 139, 69, 102}), charset.converted());
    // Six accented letters become Latin capitals, ώ the Greek Ω.
    EXPECT_EQ("AEHIOY\x8D", PrepareRegisterText(converter, charset, Cp("άέήίόύώ"), false));
    EXPECT_EQ(Cp("ΐΰΪΫ"), PrepareRegisterText(converter, charset, Cp("ΐΰϊϋ"), false));
    // Footers skip the accent step: ώ and ς reach the table as Ώ and Σ.
    EXPECT_EQ(Bytes({'T', 'E', 141, 141, 102}), PrepareFooterText(charset, Cp("teωώς")));
    EXPECT_EQ(Bytes({'T', 'E', 141, 141, 102}), charset.converted());
}

TEST(RegisterText, Byte131BecomesDeltaInSaleDescriptionsOnly) {
    Cnv437869G converter;
    RegisterCharset charset;
    const std::string text = Bytes({'a', 0x83, 'b'});
    EXPECT_EQ(Bytes({'A', 134, 'B'}), PrepareRegisterText(converter, charset, text, true));
    EXPECT_EQ(Bytes({'A', 0x83, 'B'}), PrepareRegisterText(converter, charset, text, false));
    EXPECT_EQ(Bytes({'A', 0x83, 'B'}), PrepareFooterText(charset, text));
}

TEST(RegisterText, TheChainWorksOnWhatTheConverterReturns) {
    ScriptedConverter converter;
    converter.answer = Cp("ψ");
    RegisterCharset charset;
    EXPECT_EQ(Bytes({140}), PrepareRegisterText(converter, charset, "raw", true));
    EXPECT_EQ("raw/-1", converter.written);

    Cnv437869G passThrough;
    passThrough.Write(Bytes({0x81, 0xFF, 'a'}), -1);
    EXPECT_EQ(Bytes({0x81, 0xFF, 'a'}), passThrough.Read());
}

}  // namespace
}  // namespace varkon
