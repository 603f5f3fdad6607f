#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "ui/message_box.h"

namespace varkon {
namespace {

TEST(MainWindow, ControlsAndMenusCarryTheirNamesCaptionsAndShortcuts) {
    MainWindow window;
    const std::pair<const char*, const char*> captions[] = {
        {"receipt", "0"},
        {"Label1", " Αριθμός Αποδείξεων"},
        {"Command1", "Έναρξη Εκτύπωσης"},
        {"Command2", "Διακοπή Εκτύπωσης"},
        {"seriallbl", "Σειριακή Πόρτα :"},
        {"baudlbl", "Ταχύτητα         :"},
        {"filelbl", "Αρχείο              :"},
        {"ecrlbl", "Ταμειακή          :"},
        {"desclbl", "Περιγραφή       :"},
        {"commentslbl", "Σχόλια              :"},
        {"currlbl", "Εξόφληση         :"},
    };
    auto shown = [&window](const char* name) {
        if (auto* edit = window.findChild<QLineEdit*>(name)) return edit->text().toStdString();
        if (auto* button = window.findChild<QPushButton*>(name))
            return button->text().toStdString();
        if (auto* label = window.findChild<QLabel*>(name)) return label->text().toStdString();
        return std::string("(no such control)");
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(shown(name), caption) << name;
    }
    struct Item {
        const char* name;
        const char* caption;
        const char* keys;
        const char* menu;
    };
    const Item items[] = {
        {"param", "Παράμετροι", "Ctrl+P", "Settings"},
        {"help_text", "Ρυθμίσεις", "Ctrl+B", "help"},
        {"basic_programming", "Βασικός Προγρ. Ταμειακής", "", "help"},
        {"end", "Τερματισμός Varkon", "Ctrl+E", "exit"},
        {"about", "Περί Varkon", "Ctrl+A", "exit"},
        {"xrep0", "Iσοζ. Χ (Οικονομικό)", "", "xreports"},
        {"xrep5", "Iσοζ. Χ (Περιόδου)", "", "xreports"},
        {"zrep021", "Iσοζ. Z (Οικονομικό-Hμερήσιο)", "", "zreports"},
        {"zrep521", "Iσοζ. Z (Περιόδου)", "", "zreports"},
        {"help", "Bοήθεια", "", "Settings"},
        {"xreports", "Ισοζύγια 'X'", "", "reports"},
        {"zreports", "Ισοζύγια 'Z'", "", "reports"},
        {"Settings", "Επιλογές", "", nullptr},
        {"exit", "Έξοδος", "", nullptr},
        {"reports", "Ισοζύγια", "", nullptr},
    };
    for (const Item& item : items) {
        QAction* action = window.findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text().toStdString(), item.caption) << item.name;
        EXPECT_EQ(action->shortcut().toString().toStdString(), item.keys) << item.name;
        if (item.menu != nullptr) {
            EXPECT_TRUE(window.findChild<QMenu*>(item.menu)->actions().contains(action))
                << item.name;
        }
    }
    EXPECT_FALSE(window.findChild<QMenu*>("reports")->menuAction()->isEnabled());
    EXPECT_TRUE(window.findChild<QPlainTextEdit*>("comstattxt")->isReadOnly());
}

// The window's widgets carry the names of the control table, not those of main_window.ui.
TEST(MainWindow, EveryNameOfTheControlTableIsCarriedByTheWindow) {
    MainWindow window;
    EXPECT_EQ(window.objectName().toStdString(), WindowName(Window::kMain));
    std::vector<std::string_view> names;
    for (int i = 0; !ControlName(static_cast<Control>(i)).empty(); ++i) {
        names.push_back(ControlName(static_cast<Control>(i)));
    }
    for (int i = 0; !PartName(static_cast<WindowPart>(i)).empty(); ++i) {
        names.push_back(PartName(static_cast<WindowPart>(i)));
    }
    const QString timers[] = {window.jobTimer().objectName(), window.watchdogTimer().objectName()};
    for (std::string_view name : names) {
        const QString objectName =
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        EXPECT_TRUE(!window.findChildren<QObject*>(objectName).isEmpty() ||
                    std::find(std::begin(timers), std::end(timers), objectName) != std::end(timers))
            << name;
    }
    EXPECT_EQ(timers[0].toStdString(), PartName(WindowPart::kJobTimer));
    EXPECT_EQ(timers[1].toStdString(), PartName(WindowPart::kWatchdogTimer));
}

TEST(MainWindow, ProgressSpreadsTheRangeOverTheBar) {
    MainWindow window;
    auto* bar = window.findChild<QProgressBar*>("Indicator");
    window.setProgressMax(250.0001);
    window.setProgress(125.0001);
    EXPECT_EQ(bar->value(), bar->maximum() / 2);
    window.setProgress(0.001);
    EXPECT_EQ(bar->value(), 0);
    window.setProgress(400);  // beyond the maximum: a full bar, never an overflow
    EXPECT_EQ(bar->value(), bar->maximum());
    window.setProgressMax(0);
    EXPECT_EQ(bar->value(), 0);
}

// The box is answered from the keyboard: Escape is Cancel where there is one, OK otherwise.
TEST(MessageBox, StyleGivesButtonsIconAndAnswer) {
    struct Case {
        int style;
        QMessageBox::Icon icon;
        int buttons;
        Qt::Key key;
        int answer;
    };
    for (const Case& c : {Case{17, QMessageBox::Critical, 2, Qt::Key_Escape, kAnswerCancel},
                          Case{17, QMessageBox::Critical, 2, Qt::Key_Return, kAnswerOk},
                          Case{48, QMessageBox::Warning, 1, Qt::Key_Escape, kAnswerOk},
                          Case{64, QMessageBox::Information, 1, Qt::Key_Return, kAnswerOk}}) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        qsizetype buttons = 0;
        QString title;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            buttons = box->buttons().size();
            title = box->windowTitle();
            QTest::keyClick(box, c.key);
        });
        EXPECT_EQ(ShowMessageBox(nullptr, "Κείμενο", c.style, "Τίτλος"), c.answer) << c.style;
        EXPECT_EQ(icon, c.icon) << c.style;
        EXPECT_EQ(buttons, c.buttons) << c.style;
        EXPECT_EQ(title, QString::fromUtf8("Τίτλος"));
    }
}

}  // namespace
}  // namespace varkon
