#include <gtest/gtest.h>

#include <algorithm>

#include "greek/cp1253.h"
#include "receipt/receipt_rig.h"

namespace varkon::test {
namespace {

using Commands = std::vector<std::string>;

std::string Pad(std::string text, std::size_t width, bool right = false) {
    if (text.size() < width) text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    return text;
}

// A sale record with its fields in their columns (code page 1253 description).
std::string Sale(const std::string& description, const std::string& quantity = "1.000",
                 const std::string& price = "1.00", const std::string& rate = "13.00",
                 const std::string& department = "") {
    return " PLU 123" + std::string(11, ' ') + Pad(description, 24) + "    " +
           Pad(quantity, 7, true) + "  " + Pad(price, 9, true) + "   " + Pad(rate, 5, true) +
           department + "\r\n";
}

// A journal that cannot record any answer: the sending stops after the first command.
class UnrecordableJournal final : public CommandJournal {
  public:
    bool answeredBefore() override { return false; }
    bool answered() override { return false; }
};

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

TEST(ReceiptPrinter, SampleReceiptGoesOnTheWireByteForByte) {
    ReceiptRig rig;
    EXPECT_EQ(8u, rig.print(kSampleReceipt).records);
    EXPECT_EQ(kSampleWire, rig.wire->bytes);
    EXPECT_FALSE(rig.printer.receiptState().subtotalZero);
    EXPECT_TRUE(rig.notices.boxes.empty());
    EXPECT_EQ(8, rig.notices.progressMax);
    EXPECT_EQ(8, rig.notices.progress);
    EXPECT_EQ("Varkon - Eκτυπώνει", rig.notices.caption);
    EXPECT_EQ("Εκτυπωση Ενεργή.. Παρακαλώ Περιμένετε", rig.notices.status);
}

TEST(ReceiptPrinter, KeywordsAreComparedAsTheRecordTableSays) {
    ReceiptRig rig;
    rig.settings.printCode = "fals";
    rig.notices.startEnabled = false;
    const std::string file = " plu" + Sale("A").substr(4) + " Plu" + Sale("B").substr(4) +
                             " Mod    -10.00%\r\n Prg  X1\r\n PRG  ky9\r\n mkz\r\n prg  5x3\r\n" +
                             " Dis      0.50\r\n TO    1       5.00\r\n PaY  2\r\n xyz\r\n\r\n";
    EXPECT_EQ(0, rig.print(file).error);
    EXPECT_EQ((Commands{"KX100R2A" + Blanks(23), "KX100R2B" + Blanks(23), "KY9", "KX021T1", "KP5X3",
                        "KXT2", "KXCL"}),
              rig.wire->commands);
    EXPECT_TRUE(rig.notices.startEnabled);  // the Z report enables it again
}

TEST(ReceiptPrinter, SaleFieldsCodesAndCategories) {
    ReceiptRig rig;
    rig.settings.printCode = "true A";
    const std::string sixBlankPrice =
        " PLU 123" + Blanks(11) + Pad("SIX", 24) + "      1.000  " + Blanks(6) + "\r\n";
    const std::string shortLine = " PLU 123" + Blanks(11) + "SHORT\r\n";
    EXPECT_EQ(0, rig.print(sixBlankPrice + Sale("NINE", "1.000", "") + shortLine +
                           Sale("NONE", "1.000", "1.00", "24"))
                     .error);
    const std::string article = std::string("KX10PLK\x8D\x86:123") + Blanks(11);
    EXPECT_EQ((Commands{article, "KX1R5SIX" + Blanks(21), article, "KX0R2NINE" + Blanks(20),
                        article, "KXR5SHORT"}),
              rig.wire->commands);
    ASSERT_EQ(1u, rig.notices.boxes.size());
    EXPECT_EQ("Ανύπαρκτη κατηγορία ΦΠΑ ", rig.notices.boxes[0].text);
    EXPECT_EQ(48, rig.notices.boxes[0].style);
    EXPECT_EQ("", rig.notices.boxes[0].title);

    ReceiptRig departments;
    departments.settings.printDescription = "fals";
    departments.settings.printCode = "fals";
    departments.settings.directDepartments = "true";
    std::string file;
    for (const char* department : {"10", " 11", "15", "16", "   "}) {
        file += Sale("", "1.000", "1.00", department[1] == '5' ? "24" : "13", department);
    }
    EXPECT_EQ(0, departments.print(file).error);
    EXPECT_EQ((Commands{"KX100R0", "KX100RA", "KX100RG", "KX100RH", "KX100R2"}),
              departments.wire->commands);
}

TEST(ReceiptPrinter, ABadPriceSellsNothingAndSaysWhichPrice) {
    ReceiptRig rig;
    rig.settings.printCode = "fals";
    EXPECT_EQ(1u, rig.print(Sale("X", "-2.000", "1,5a")).records);
    EXPECT_TRUE(rig.wire->commands.empty());
    ASSERT_EQ(1u, rig.notices.boxes.size());
    EXPECT_EQ("Λανθασμένη τιμή είδους, το είδος δεν πουλήθηκε: 1,5a", rig.notices.boxes[0].text);
    EXPECT_EQ(48, rig.notices.boxes[0].style);
    EXPECT_EQ("Εκτυπωση Ενεργή.. Παρακαλώ Περιμένετε", rig.notices.status);
}

TEST(ReceiptPrinter, QuantityInFrontOfTheDescriptionOnPos21Only) {
    ReceiptRig rig;
    rig.settings.printCode = "fals";
    rig.settings.quantity = "true";
    rig.settings.registerType = "pos21";
    EXPECT_EQ(0, rig.print(Sale("COCA COLA", "2.000") + Sale("COCA COLA", "2.500") +
                           Sale("COCA COLA", "1.000") + Sale("COCA COLA", "2"))
                     .error);
    EXPECT_EQ((Commands{"KX2* ", "KX100R22* COCA COLA" + Blanks(8), "KX2. \r\n", "KX500* ",
                        "KX100R22,500* COCA COLA   ", "KX100R2COCA COLA" + Blanks(11),
                        "KX100R22* COCA COLA" + Blanks(7)}),
              rig.wire->commands);

    for (const char* type : {"mikro", "TECFP"}) {
        ReceiptRig other;
        other.settings = rig.settings;
        other.settings.registerType = type;
        EXPECT_EQ(0, other.print(Sale("ABCDEFGHIJKLMNOPQRSTUVWX", "2.000")).error);
        EXPECT_EQ((Commands{"KX2* ", "KX100R2ABCDEFGHIJKLMNOPQRSTUVWX"}), other.wire->commands);
    }
}

TEST(ReceiptPrinter, ModifiersTendersAndTheZeroSubtotal) {
    ReceiptRig rig;
    rig.settings.registerType = "pos21";
    EXPECT_EQ(0, rig.print(" mod       -00%\r\n mod        00%\r\n mod     -1,50  X\r\n"
                           " to    1       5.00\r\n to    3      10,00\r\n to    4\r\n"
                           " to    5   \r\n sut      2.20\r\n to    2       0.00\r\n"
                           " sut      0.00\r\n to    2       0.00\r\n")
                     .error);
    EXPECT_EQ((Commands{"KX- ", "KX150GE", "KX500T1", "KX1000T3", "KX000T2"}), rig.wire->commands);

    ReceiptRig subtotal;
    subtotal.settings.currency = "2";
    EXPECT_EQ(0, subtotal.print(" to    1       5.00\r\n to    3      10,00\r\n").error);
    EXPECT_EQ((Commands{"KXST", "KXT2"}), subtotal.wire->commands);
    // A receipt whose subtotal is known (and not zero) is still settled in the second currency.
    subtotal.wire->commands.clear();
    EXPECT_EQ(0, subtotal.print(" sut        2.20\r\n to    1       5.00\r\n").error);
    EXPECT_EQ((Commands{"KXST", "KXT2"}), subtotal.wire->commands);
}

TEST(ReceiptPrinter, CommentsAndFootersFrameTheReceipt) {
    ReceiptRig rig;
    rig.wire->silent = {"KXT1", "KXCL", "KXCO " + std::string(18, '-')};
    const std::string file = " com  " + std::string(30, 'C') + "\r\n foo  ONE\r\n foo  TWO\r\n" +
                             " foo  THREE\r\n pay  1\r\n";
    EXPECT_EQ(0, rig.print(file).error);
    EXPECT_EQ((Commands{"KXCO " + std::string(20, 'C'), "KXCO " + std::string(20, '-'), "KXT1",
                        "KXCL", "KXCO " + std::string(18, '-'), "KXCO ONE\r\n", "KXCO TWO\r\n",
                        "KXCO THREE\r\n", "KXCO", "KXCO", "KXCO", "KXCO", "KXCO"}),
              rig.wire->commands);
    EXPECT_TRUE(rig.notices.boxes.empty());  // settlement and footer frame are quiet

    // A footer left pending by a file whose sending stopped half-way is dropped when the next
    // starts.
    rig.wire->commands.clear();
    UnrecordableJournal journal;
    rig.link.attachJournal(&journal);
    EXPECT_EQ(2u, rig.print(" foo  OLD\r\n com  X\r\n").stoppedAtLine);
    EXPECT_FALSE(rig.printer.receiptState().footerLines.empty());
    rig.link.attachJournal(nullptr);
    rig.wire->commands.clear();
    rig.notices.boxes.clear();
    rig.wire->silent = {"KXCO HELLO"};
    EXPECT_EQ(0, rig.print(" com  HELLO\r\n").error);
    EXPECT_EQ((Commands{"KXCO HELLO", "KXCO " + std::string(20, '-')}), rig.wire->commands);
    ASSERT_EQ(1u, rig.notices.boxes.size());  // comments are not quiet
    EXPECT_EQ("Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή !", rig.notices.boxes[0].text);

    ReceiptRig off;
    off.settings.comment = "fals";
    EXPECT_EQ(0, off.print(file).error);
    EXPECT_EQ((Commands{"KXT1", "KXCL"}), off.wire->commands);
}

TEST(ReceiptPrinter, GreekTextReachesTheRegisterAsItsCodes) {
    ReceiptRig rig;
    rig.settings.printCode = "fals";
    const std::string file = Sale(Utf8ToCp1253("Καφές ελληνικός")) +
                             Sale(
                                 "\x83"
                                 "a") +
                             Utf8ToCp1253(
                                 " mod      -1.00  Έκπτωση\r\n com  Ευχαριστούμε\r\n"
                                 " foo  Καλή σας μέρα\r\n");
    EXPECT_EQ(0, rig.print(file).error);
    EXPECT_EQ((Commands{"KX100R2KA\x8B"
                        "Ef E\x88\x88HNIKOf" +
                            Blanks(9),
                        "KX100R2\x86"
                        "A" +
                            Blanks(22),
                        "KX- ",
                        "KX100GEEK\x8AT\x8D"
                        "fH",
                        "KXCO EYXAPIfTOYME", "KXCO " + std::string(20, '-'),
                        "KXCO " + std::string(18, '-'), "KXCO KA\x88H fAf MEPA\r\n", "KXCO", "KXCO",
                        "KXCO", "KXCO", "KXCO"}),
              rig.wire->commands);
}

TEST(ReceiptPrinter, Utf8FileIsReadAsCodePage1253BeforeItsColumnsAreCut) {
    // The host's receipt in code page 1253, and the same written by a host of UTF-8: the Greek
    // letters take two bytes there and would move every later column.
    const std::string cp1253 = Sale(Utf8ToCp1253("Καφές ελληνικός"), "1.000", "3.00") +
                               Sale(Utf8ToCp1253("Τυρόπιτα"), "1.000", "2.20") +
                               Utf8ToCp1253(" com  Ευχαριστούμε\r\n to    1       5.20\r\n");
    ReceiptRig reference;
    EXPECT_EQ(0, reference.print(cp1253).error);
    ASSERT_EQ(reference.wire->commands.at(0).substr(0, 7), "KX300R2");
    ReceiptRig rig;
    EXPECT_EQ(0, rig.print(Cp1253ToUtf8(cp1253)).error);
    EXPECT_EQ(reference.wire->commands, rig.wire->commands);
    const std::string told =
        "Το αρχείο εκτύπωσης είναι σε UTF-8 και μετατρέπεται σε κωδικοσελίδα 1253 : " +
        FromFsPath(rig.dir / "print.prn");
    EXPECT_EQ(told, rig.notices.statusHistory.at(0));
    for (const std::string& status : reference.notices.statusHistory) EXPECT_NE(told, status);

    // A byte order mark is dropped; a character the page lacks is one '?', so that the columns
    // after it stay.
    ReceiptRig lacking;
    EXPECT_EQ(0, lacking.print(Sale(Utf8ToCp1253("Τσάι ??"), "1.000", "1.50")).error);
    std::string utf8 =
        "\xEF\xBB\xBF" + Cp1253ToUtf8(Sale(Utf8ToCp1253("Τσάι ??"), "1.000", "1.50"));
    utf8.replace(utf8.find("??"), 2, "✓Ò");
    rig.wire->commands.clear();
    EXPECT_EQ(0, rig.print(utf8).error);
    EXPECT_EQ(lacking.wire->commands, rig.wire->commands);

    // Without a letter of the page it is not taken for UTF-8: its bytes go as they are.
    rig.wire->commands.clear();
    EXPECT_EQ(0, rig.print(" com  \xE2\x9C\x93 OK\r\n").error);
    EXPECT_EQ("KXCO B\x9C\x93 OK", rig.wire->commands.at(0).substr(0, 11));  // 0xE2 is β
    const auto& statuses = rig.notices.statusHistory;
    EXPECT_EQ(2, std::count(statuses.begin(), statuses.end(), told));
}

TEST(ReceiptPrinter, Utf8FileWithAStrayCodePageByteKeepsEveryColumn) {
    // A UTF-8 receipt whose comment holds a degree sign written in code page 1253 (0xB0, no
    // UTF-8 there): each line keeps the columns its writer meant, whichever way it was written.
    const std::string sales = Sale(Utf8ToCp1253("Καφές ελληνικός"), "1.000", "3.00") +
                              Sale(Utf8ToCp1253("Τυρόπιτα"), "1.000", "2.20");
    const std::string comment = Utf8ToCp1253(" com  Ζεστό 80") + "\xB0" + "C\r\n";
    const std::string payment = " to    1       5.20\r\n";
    ReceiptRig reference;
    EXPECT_EQ(0, reference.print(sales + comment + payment).error);
    ASSERT_EQ(reference.wire->commands.at(0).substr(0, 7), "KX300R2");

    ReceiptRig rig;
    EXPECT_EQ(0, rig.print(Cp1253ToUtf8(sales) + comment + payment).error);
    EXPECT_EQ(reference.wire->commands, rig.wire->commands);
    EXPECT_EQ(
        "Το αρχείο εκτύπωσης έχει γραμμές σε UTF-8 και σε κωδικοσελίδα 1253· κάθε "
        "χαρακτήρας μετράει μία στήλη : " +
            FromFsPath(rig.dir / "print.prn"),
        rig.notices.statusHistory.at(0));

    // The stray byte in a UTF-8 line of its own: the sale is still cut where its writer meant.
    const std::string mixedSale = Cp1253ToUtf8(Sale(Utf8ToCp1253("Τσάι 90"), "1.000", "1.50"));
    ReceiptRig degree;
    std::string withByte = mixedSale;
    withByte.replace(withByte.find("90"), 2, "9\xB0");
    EXPECT_EQ(0, degree.print(withByte).error);
    ReceiptRig expected;
    EXPECT_EQ(0, expected.print(Sale(Utf8ToCp1253("Τσάι 9") + "\xB0", "1.000", "1.50")).error);
    EXPECT_EQ(expected.wire->commands, degree.wire->commands);
}

TEST(ReceiptPrinter, AnyFileIsReadWithoutHarm) {
    ReceiptRig rig;
    const std::string file = std::string("\0P\0U\0\0\r\n", 8) + " dis      0.50\r" +
                             std::string(4 << 20, 'x') + "\n\x83\x80\x98\xAA\xE0\xFF\r\n" +
                             " dis      0.25";
    const PrintResult read = rig.print(file);
    EXPECT_EQ(0, read.error);
    EXPECT_EQ(2u, read.records);
    EXPECT_EQ((Commands{"KXST", "KXST", "KX- ", "KX050GE", "KXST", "KXST", "KX- ", "KX025GE"}),
              rig.wire->commands);
    EXPECT_EQ(5, rig.notices.progressMax);

    EXPECT_EQ(0, rig.print(" dis     -0.50" + std::string(4 << 20, '\0')).error);
    EXPECT_EQ("KX050GE", rig.wire->commands.back());
    EXPECT_EQ(1, rig.notices.progressMax);
    EXPECT_EQ(0, rig.print("").error);
    EXPECT_EQ(1, rig.notices.progressMax);

    const std::size_t sent = rig.wire->bytes.size();
    const PrintResult missing =
        rig.printer.print(FromFsPath(rig.dir / "no.prn"), ReceiptSettingsOf(rig.settings));
    EXPECT_EQ(53, missing.error);
    EXPECT_EQ("Το αρχείο δεν βρέθηκε", missing.description);
    EXPECT_EQ(75,
              rig.printer.print(FromFsPath(rig.dir.path()), ReceiptSettingsOf(rig.settings)).error);
    EXPECT_EQ(sent, rig.wire->bytes.size());
}

}  // namespace
}  // namespace varkon::test
