#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system.h"

namespace varkon {
namespace {

using Texts = std::vector<std::string>;

// The UTF-8 bytes of a literal (the source is UTF-8; u8 literals are char8_t).
std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

TEST(WindowsCommandLine, GreekTextsArriveAsUtf8) {
    // A host application starting the one-shot run for a print file in a Greek folder, and the
    // line the service manager starts the service of a Greek folder with.
    EXPECT_EQ((Texts{Utf8(u8"C:\\Ταμείο\\varkond.exe"),
                     Utf8(u8"COM5,9600,C:\\Ταμείο\\print.1,0,mikro,1110000")}),
              SplitWindowsCommandLine(
                  L"C:\\Ταμείο\\varkond.exe COM5,9600,C:\\Ταμείο\\print.1,0,mikro,1110000"));
    EXPECT_EQ((Texts{Utf8(u8"C:\\Κατάστημα Α\\varkond.exe"), "--service", Utf8(u8"ταμείο"),
                     Utf8(u8"C:\\Κατάστημα Α\\Ταμείο 1")}),
              SplitWindowsCommandLine(L"\"C:\\Κατάστημα Α\\varkond.exe\" --service \"ταμείο\" "
                                      L"\"C:\\Κατάστημα Α\\Ταμείο 1\""));
    // Every letter of the Greek code page, small and capital, with its accents and diaeresis.
    EXPECT_EQ(
        (Texts{"x",
               Utf8(u8"ΆΈΉΊΌΎΏΐΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩΪΫάέήίΰαβγδεζηθικλμνξοπρςστυφχψωϊϋόύώ")}),
        SplitWindowsCommandLine(
            L"x ΆΈΉΊΌΎΏΐΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩΪΫάέήίΰαβγδεζηθικλμνξοπρςστυφχψωϊϋόύώ"));
}

TEST(WindowsCommandLine, QuotesAndBackslashesAreUndoneAsTheRuntimeDoes) {
    EXPECT_EQ((Texts{"prog", "a b", "C:\\dir\\", "say \"hi\"", "\\\\server\\share", ""}),
              SplitWindowsCommandLine(
                  L"prog \"a b\" \"C:\\dir\\\\\" \"say \\\"hi\\\"\" \\\\server\\share \"\""));
    // A blank line has no texts at all, not the program's own path.
    EXPECT_EQ(Texts{}, SplitWindowsCommandLine(L""));
    EXPECT_EQ(Texts{}, SplitWindowsCommandLine(L"  "));
}

TEST(WindowsCommandLine, ProgramArgumentsReadTheProcessLineNotArgv) {
    // The narrow argv is ignored where the process's own line can be had.
    char narrow[] = "C:\\?????\\print.1";
    char* argv[] = {narrow, nullptr};
    const Texts arguments = ProgramArguments(1, argv);
    ASSERT_FALSE(arguments.empty());
    EXPECT_NE(narrow, arguments.front());
    EXPECT_TRUE(arguments.front().ends_with("win32_arguments_tests.exe")) << arguments.front();
    EXPECT_EQ(ProgramFile({}).parent_path(), ProgramDirectory({}));
    EXPECT_EQ("win32_arguments_tests.exe", ProgramFile({}).filename().string());
}

}  // namespace
}  // namespace varkon
