#include "ui/settings/settings_dialog.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <vector>

#include "greek/cp1253.h"
#include "maintenance/operator_notices.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

bool HasLine(const std::string& file, const std::string& wanted) {
    return file.find("\r\n" + wanted + "\r\n") != std::string::npos;
}

// The file without the day it was written.
std::string Undated(std::string file) {
    std::size_t at = file.find("Created by");
    return at == std::string::npos ? file : file.erase(at, file.find('\r', at) - at);
}

class SettingsDialogTest : public testing::Test {
  protected:
    SettingsDialogTest() {
        dialog.setSavedHandler([this] { ++saved; });
        dialog.setClosedHandler([this] { ++closed; });
    }

    template <typename T = QWidget>
    T* get(const std::string& name) {
        T* found = dialog.findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* rate(int index) {
        return get<QLineEdit>("txtVatRate(" + std::to_string(index) + ")");
    }
    static void type(QLineEdit* edit, const char* text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void open() {
        dialog.load();
        dialog.show();
    }

    test::TempDir dir;
    std::vector<std::string> boxes;  // text|style|title
    int saved = 0;
    int closed = 0;
    SettingsDialog dialog{[this](const std::string& text, int style, const std::string& title) {
                              boxes.push_back(text + "|" + std::to_string(style) + "|" + title);
                              return kAnswerOk;
                          },
                          SettingsFiles{dir / "param.ini", dir / "vats.dat"}};
};

TEST_F(SettingsDialogTest, EveryControlCarriesItsCaptionAndEntries) {
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Παράμετροι Varkon"));
    const std::pair<const char*, const char*> captions[] = {
        {"multi_print", "Print Manager"},
        {"dirdep", "Direct Deparment"},
        {"descreption", "Mε Περιγραφη"},
        {"print_code_ascii", "Με Εκτυπωση Κωδικου Ascii"},
        {"print_code_numeric", "Mε Εκτυπωση Κωδικου Αριθμητικου"},
        {"comments", "Mε Σχολια"},
        {"total_file", "Οπως Στο Αρχειο"},
        {"total_1", "Παντα Κυριο Νομισμα"},
        {"total_2", "Παντα Δευτερευων"},
        {"quantity", "Mε Εκτυπωση Ποσοτητας"},
        {"keyb_locked", "Κλειδωμενο Πληκτρολογιο"},
        {"defacto", "Συνδεση Defacto "},
        {"ChkAuto", "Αυτόματη Έναρξη Εκτυπώσεων"},
        {"OK", "Kαταχωρηση"},
        {"restore", "Eπαναφορα"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(get<QAbstractButton>(name)->text().toStdString(), caption) << name;
    }
    auto entries = [this](const char* name) {
        QStringList all;
        for (int i = 0; i < get<QComboBox>(name)->count(); ++i) {
            all << get<QComboBox>(name)->itemText(i);
        }
        return (all.join('|') + " / " + get<QComboBox>(name)->currentText()).toStdString();
    };
    EXPECT_EQ(entries("comtxt"), "Com1|Com2|Com3|Com4|Com5|Com6 / Com1");
    EXPECT_EQ(entries("baudtxt"), "9600|4800|2400|1200 / 9600");
    EXPECT_EQ(entries("typetxt"), "MikroPos|Pos21|Tec  Fiscal Printer / ");
    EXPECT_EQ(get<QLineEdit>("filetxt")->maxLength(), 12);
    EXPECT_EQ(get<QLineEdit>("cnvtxt")->maxLength(), 12);
    EXPECT_EQ(rate(4)->maxLength(), 5);
}

// Forms that must come back unchanged (but for the date line) when the dialog is opened on
// their file and confirmed at once: every kind of value, TECFP and a port beyond the list.
TEST_F(SettingsDialogTest, ConfirmingAtOnceRewritesTheSameFile) {
    SettingsForm pos21{"com2", "4800",     "print", "Pos21", true,  false, true,  false,       true,
                       2,      "conv.exe", true,    false,   false, true,  false, "c:\\data\\"};
    SettingsForm tec{"com6",
                     "1200",
                     "noname.prn",
                     "Tec  Fiscal Printer",
                     false,
                     true,
                     false,
                     true,
                     false,
                     1,
                     Utf8ToCp1253("Xωρις"),
                     false,
                     true,
                     true,
                     false,
                     true,
                     "\\cl\\data\\"};
    SettingsForm other{"com8", "19200", "*.prn", "MikroPos", false, false, false, false, false,
                       0,      "c.bat", false,   false,      false, false, false, ""};
    for (const SettingsForm& form : {pos21, tec, other}) {
        SettingsDialog fresh([](const std::string&, int, const std::string&) { return kAnswerOk; },
                             SettingsFiles{dir / "param.ini", dir / "vats.dat"});
        ASSERT_EQ(WriteSettings(form, "01-02-2003", dir / "param.ini"), 0);
        std::string before = dir.read("param.ini");
        fresh.load();
        fresh.confirm();
        EXPECT_EQ(Undated(dir.read("param.ini")), Undated(before)) << form.type;
    }
}

TEST_F(SettingsDialogTest, OpeningShowsStoredValuesAndDefactoOwnsTheFileName) {
    SettingsForm form{"com3",      "2400", "other.prn", "Tec  Fiscal Printer",
                      false,       false,  false,       true,
                      false,       2,      "",          false,
                      false,       false,  false,       true,
                      "d:\\shop\\"};
    ASSERT_EQ(WriteSettings(form, "01-02-2003", dir / "param.ini"), 0);
    ASSERT_EQ(SaveVatRates({24, 6.5, 0, 13, 36}, dir / "vats.dat"), 0);
    open();
    EXPECT_EQ(get<QComboBox>("comtxt")->currentText(), "Com3");
    EXPECT_EQ(get<QComboBox>("typetxt")->currentText(), "Tec  Fiscal Printer");
    EXPECT_TRUE(get<QCheckBox>("print_code_numeric")->isChecked());
    EXPECT_EQ(get<QLineEdit>("cnvtxt")->text(), QString::fromUtf8("Xωρις"));
    EXPECT_EQ(get<QLineEdit>("filetxt")->text(), "noname.prn");
    EXPECT_EQ(get<QLineEdit>("location")->text(), "d:\\shop\\");
    EXPECT_EQ(rate(1)->text(), "6,5");

    get<QCheckBox>("defacto")->click();  // unticked: the name stays, the path goes
    EXPECT_EQ(get<QLineEdit>("filetxt")->text(), "noname.prn");
    EXPECT_EQ(get<QLineEdit>("location")->text(), "");
    type(get<QLineEdit>("filetxt"), "print");
    get<QCheckBox>("defacto")->click();
    EXPECT_EQ(get<QLineEdit>("filetxt")->text(), "noname.prn");
    EXPECT_EQ(get<QLineEdit>("location")->text(), "\\cl\\data\\");

    get<QAbstractButton>("restore")->click();
    EXPECT_EQ(get<QLineEdit>("location")->text(), "d:\\shop\\");
}

// The box limits hold for typing only: a longer name or rate from the files is shown whole and
// written back unchanged.
TEST_F(SettingsDialogTest, StoredTextsLongerThanTheBoxLimitsSurviveOpenAndConfirm) {
    SettingsForm form;
    form.port = "com1";
    form.baud = "9600";
    form.file = "receipts_of_day.prn";
    form.type = "MikroPos";
    form.converter = Utf8ToCp1253("Xωρις");
    ASSERT_EQ(WriteSettings(form, "01-02-2003", dir / "param.ini"), 0);
    std::string before = dir.read("param.ini");
    ASSERT_EQ(SaveVatRates({12.125, 24, 0, 0, 0}, dir / "vats.dat"), 0);
    open();
    EXPECT_EQ(get<QLineEdit>("filetxt")->text(), "receipts_of_day.prn");
    EXPECT_EQ(rate(0)->text(), "12,125");
    dialog.confirm();
    EXPECT_EQ(Undated(dir.read("param.ini")), Undated(before));
    EXPECT_EQ(VatRate(0, dir / "vats.dat"), 12.125);

    type(get<QLineEdit>("filetxt"), "abcdefghijklmnopq");
    type(rate(0), "1234567");
    EXPECT_EQ(get<QLineEdit>("filetxt")->text(), "abcdefghijkl");
    EXPECT_EQ(rate(0)->text(), "12345");
}

TEST_F(SettingsDialogTest, CodeBoxesExcludeEachOther) {
    open();
    auto* ascii = get<QCheckBox>("print_code_ascii");
    auto* numeric = get<QCheckBox>("print_code_numeric");
    numeric->click();
    ascii->click();
    EXPECT_TRUE(ascii->isChecked());
    EXPECT_FALSE(numeric->isChecked());
    numeric->click();
    EXPECT_FALSE(ascii->isChecked());
    numeric->click();  // unticking changes nothing else
    EXPECT_FALSE(ascii->isChecked());
    ascii->click();
    dialog.confirm();
    EXPECT_TRUE(HasLine(dir.read("param.ini"), "[print_code] true A"));
    EXPECT_FALSE(HasLine(dir.read("param.ini"), "[print_code] true N"));
}

TEST_F(SettingsDialogTest, TypedTypeAndConverterReachTheFile) {
    open();
    type(get<QComboBox>("typetxt")->lineEdit(), "tec  fiscal printer");
    get<QLineEdit>("cnvtxt")->setText(QString::fromUtf8("Xωρις"));
    dialog.confirm();
    EXPECT_TRUE(HasLine(dir.read("param.ini"), "[ecrt] TECFP"));
    EXPECT_EQ(dir.read("param.ini").find("[convert2]"), std::string::npos);

    type(get<QComboBox>("typetxt")->lineEdit(), "something else");
    get<QLineEdit>("cnvtxt")->clear();
    dialog.confirm();
    EXPECT_EQ(dir.read("param.ini").find("[ecrt]"), std::string::npos);
    EXPECT_TRUE(HasLine(dir.read("param.ini"), "[convert2]="));
}

TEST_F(SettingsDialogTest, RateTypedWithPointIsStoredAndShownWithComma) {
    open();
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(rate(1), &focus);
    QCoreApplication::processEvents();
    EXPECT_EQ(rate(1)->selectedText(), "0");  // a rate box selects all when it gets the focus

    type(rate(1), "8.5");
    dialog.confirm();
    EXPECT_EQ(VatRate(1, dir / "vats.dat"), 8.5);
    EXPECT_EQ(rate(1)->text(), "8,5");
    EXPECT_EQ(boxes, std::vector<std::string>{"Πρεπει να επανεκκινησετε το Varkon για "
                                              "ενεργοποιηση των μεταβολων |16|Varkon-Προσοχη"});
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SettingsDialogTest, InvalidRateKeepsTheDialogOpen) {
    ASSERT_EQ(SaveVatRates({24, 13, 6, 0, 0}, dir / "vats.dat"), 0);
    open();
    type(rate(0), "12.5");
    type(rate(2), "abc");
    dialog.confirm();
    EXPECT_EQ(boxes, std::vector<std::string>{"Λάθος στίς κατηγορίες ΦΠΑ!|48|"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(saved, 0);
    // param.ini is already rewritten, the rates are not.
    EXPECT_TRUE(HasLine(dir.read("param.ini"), "[port] com1"));
    EXPECT_EQ(VatRate(0, dir / "vats.dat"), 24);

    dialog.close();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(saved, 0);
}

}  // namespace
}  // namespace varkon
