// The main window driven by the real engine over a scripted serial line: the visible states of
// the register search and the start/stop actions, the menus' reach, the ends of the program.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/varkon.h"
#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/settings/settings_dialog.h"

namespace varkon {
namespace {

// The register's end of the line: an answering register replies to every command at once with
// the end-of-reply byte, a silent one never replies. Every command is recorded.
struct Line {
    bool answering = true;
    bool replyDue = false;
    std::vector<std::string> written;
    std::function<void(const std::string&)> onWrite;
};

class ScriptedPort : public SerialPort {
  public:
    explicit ScriptedPort(std::shared_ptr<Line> line) : line_(std::move(line)) {}
    PortOpening open(const std::string&, const std::optional<LineFormat>&) override {
        open_ = true;
        return PortOpening::kOpened;
    }
    bool isOpen() const override { return open_; }
    void close() override { open_ = false; }
    bool write(std::string_view bytes) override {
        if (!open_) return false;
        line_->written.emplace_back(bytes);
        line_->replyDue = line_->answering;
        if (line_->onWrite) line_->onWrite(line_->written.back());
        return true;
    }
    std::string read(std::size_t) override {
        return std::exchange(line_->replyDue, false) ? "\x04" : "";
    }

  private:
    std::shared_ptr<Line> line_;
    bool open_ = false;
};

class NoLauncher : public Launcher {
  public:
    bool start(const std::string&, const std::vector<std::string>&, bool) override { return true; }
};

class WindowStatesTest : public testing::Test {
  protected:
    void SetUp() override {
        window.setMessageBoxFunction([this](const std::string& text, int, const std::string&) {
            boxes.push_back(text);
            if (duringBox) duringBox();
            return kAnswerOk;
        });
        window.setSettingsFiles(dir / "param.ini", dir / "vats.dat");
    }

    void start(bool withSettings = true) {
        if (withSettings) {
            dir.write("param.ini",
                      "[port] com1\r\n[baud] 9600\r\n[file] print\r\n"
                      "[multi type] true\r\n[Defacto_]=no\r\n");
        }
        EngineOptions options;
        options.timings.replyWindow = std::chrono::milliseconds(5);
        options.timings.reportReplyWindow = std::chrono::milliseconds(5);
        options.programDir = dir.path();
        options.workDir = dir.path();
        engine = std::make_unique<Varkon>(window, launcher, std::make_unique<ScriptedPort>(line),
                                          options);
        window.attach(*engine);
        window.start();
    }

    QAction* action(const char* name) { return window.findChild<QAction*>(name); }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    // Status / caption, then 1 or 0 for Command1, Command2, reports, Settings, Timer1, Timer2.
    std::string looks() {
        auto on = [this](const char* menu) {
            return window.findChild<QMenu*>(menu)->menuAction()->isEnabled() ? '1' : '0';
        };
        return window.statusText() + " / " + window.windowTitle().toStdString() + " " +
               (button("Command1")->isEnabled() ? '1' : '0') +
               (button("Command2")->isEnabled() ? '1' : '0') + on("reports") + on("Settings") +
               (window.jobTimer().isActive() ? '1' : '0') +
               (window.watchdogTimer().isActive() ? '1' : '0');
    }
    std::size_t sent(const std::string& command) {
        return std::count(line->written.begin(), line->written.end(), command + "\r");
    }

    test::TempDir dir;
    std::shared_ptr<Line> line = std::make_shared<Line>();
    NoLauncher launcher;
    MainWindow window;
    std::unique_ptr<Varkon> engine;
    std::vector<std::string> boxes;
    std::function<void()> duringBox;
};

TEST_F(WindowStatesTest, AnsweringRegisterLeadsThroughReadyRunningStopped) {
    start();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(looks(), "Εύρεση Ταμειακής!!! Πατήστε 793<ST>  / Varkon- Αναζήτηση 000101");
    EXPECT_EQ(window.watchdogTimer().interval(), 1000);

    window.onWatchdogTimer();
    EXPECT_EQ(looks(), "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις / Varkon- Έτοιμο 101100");
    EXPECT_TRUE(button("Command1")->isDefault());

    button("Command1")->click();
    EXPECT_EQ(looks(), "Αναμονή Για Στοιχεία.... / Varkon- Αναμονή 010010");
    EXPECT_EQ(window.jobTimer().interval(), 1000);

    button("Command2")->click();
    EXPECT_EQ(looks(),
              "Διακοπή Εκτυπώσεων. Πατήστε Έναρξη Εκτυπώσεων!!! / Varkon- Διακόπηκε 101100");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowStatesTest, SilentRegisterIsTriedThreeTimesThenGivenUp) {
    line->answering = false;
    start();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        window.onWatchdogTimer();
        EXPECT_EQ(looks(), "Ταμειακή OFF-Line !!!\r\nΠροσπάθεια " + std::to_string(attempt) +
                               "/3 / Varkon- Σφάλμα ! 000101");
        EXPECT_FALSE(button("Command1")->isDefault());
    }
    EXPECT_EQ(boxes.size(), 3u);  // the exchange's own no-answer message, once per probe
    window.onWatchdogTimer();
    EXPECT_EQ(looks(), "Ταμειακή OFF-Line !!!\r\nΠροσπάθεια 3/3 / Varkon- Σφάλμα ! 000100");
    EXPECT_EQ(sent("KXCL"), 12u);
}

TEST_F(WindowStatesTest, TickFallingDueDuringAMessageBoxIsDropped) {
    line->answering = false;
    start();
    duringBox = [this] { window.onWatchdogTimer(); };
    window.onWatchdogTimer();
    EXPECT_EQ(sent("KXCL"), 4u);  // one probe of four sends, not two
    EXPECT_EQ(window.statusText(), "Ταμειακή OFF-Line !!!\r\nΠροσπάθεια 1/3");
}

TEST_F(WindowStatesTest, SwitchedOffMenuKeepsItsItemsFromActing) {
    start();
    action("xrep0")->trigger();  // as its shortcut would, while reports is off
    EXPECT_EQ(sent("KX0T1"), 0u);
    window.onWatchdogTimer();
    action("zrep521")->trigger();
    EXPECT_EQ(sent("KX521T1"), 1u);
    EXPECT_EQ(window.statusText(), "Το Ισοζύγιο ολοκληρώθηκε");
    button("Command1")->click();
    action("param")->trigger();
    EXPECT_EQ(window.settingsDialog(), nullptr);
}

// Ctrl+A and Ctrl+E as the operator presses them, where the focus is: once the start button is
// switched off it rests on the receipt counter, whose own keys must not swallow the menu's.
class MenuKeysTest : public WindowStatesTest, public testing::WithParamInterface<bool> {
  protected:
    void press(Qt::Key key) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_EQ(focus, window.findChild<QLineEdit*>("receipt"));
        QTest::keyClick(focus, key, Qt::ControlModifier);
    }
};

TEST_P(MenuKeysTest, AboutAndEndKeysActWhileTheReceiptCounterHasTheFocus) {
    start();
    window.onWatchdogTimer();
    window.activateWindow();
    QTest::mouseClick(button("Command1"), Qt::LeftButton);                  // running
    if (GetParam()) QTest::mouseClick(button("Command2"), Qt::LeftButton);  // stopped

    press(Qt::Key_A);
    ASSERT_NE(window.aboutBox(), nullptr);
    EXPECT_TRUE(window.aboutBox()->isVisible());
    EXPECT_EQ(window.findChild<QLineEdit*>("receipt")->selectedText(), "");
    window.aboutBox()->close();
    window.activateWindow();

    press(Qt::Key_E);
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(sent("KX794ST"), 1u);
}

INSTANTIATE_TEST_SUITE_P(RunningAndStopped, MenuKeysTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Stopped" : "Running";
                         });

TEST_F(WindowStatesTest, SettingsDialogHoldsTheWatchdogAndSavingEndsTheProgram) {
    line->answering = false;
    start();
    window.onWatchdogTimer();
    action("param")->trigger();
    ASSERT_NE(window.settingsDialog(), nullptr);
    EXPECT_TRUE(window.settingsDialog()->isVisible());
    EXPECT_FALSE(window.watchdogTimer().isActive());
    window.settingsDialog()->close();
    EXPECT_TRUE(window.watchdogTimer().isActive());
    EXPECT_FALSE(window.ended());

    action("param")->trigger();
    window.settingsDialog()->confirm();
    EXPECT_TRUE(window.ended());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(sent("KX794ST"), 0u);
}

TEST_F(WindowStatesTest, CloseBoxEndsTheProgramWithoutGoodbye) {
    start();
    window.onWatchdogTimer();
    window.close();
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(window.exitCode(), kExitNormal);
    EXPECT_EQ(sent("KX794ST"), 0u);
}

TEST_F(WindowStatesTest, CloseBoxDuringAReceiptStopsItAfterTheCommandOnTheLine) {
    start();
    window.onWatchdogTimer();
    button("Command1")->click();
    dir.write("print.1", " PRG KY1\r\n PRG KY2\r\n PRG KY3\r\n");
    std::filesystem::last_write_time(
        dir / "print.1", std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10));
    // The close box is pressed while KY1 is on the line; the window paints on meanwhile.
    line->onWrite = [this](const std::string& bytes) {
        if (bytes == "KY1\r") QCoreApplication::postEvent(&window, new QCloseEvent);
    };
    window.onJobTimer();
    // The window closes at once: the rest of the receipt waits, recorded, for the next start.
    EXPECT_EQ(sent("KY1"), 1u);
    EXPECT_EQ(sent("KY2") + sent("KY3"), 0u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dir.read("receipt.txt"), "-1\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "print.1"));
    EXPECT_NE(dir.read("varkon.job").find("ans 1 1 "), std::string::npos);
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(window.exitCode(), kExitNormal);
    EXPECT_EQ(sent("KX794ST"), 0u);
}

TEST_F(WindowStatesTest, CloseBoxDuringAReportEndsTheProgramOnceTheReportIsDone) {
    start();
    window.onWatchdogTimer();
    // Delivered by the paint pass that shows the report's waiting text.
    QCoreApplication::postEvent(&window, new QCloseEvent);
    action("xrep0")->trigger();
    EXPECT_EQ(sent("KX0T1"), 1u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(sent("KX794ST"), 0u);
}

TEST_F(WindowStatesTest, AReceiptRenamedIntoTheFolderStartsWithoutWaitingForTheTimer) {
    start();
    window.onWatchdogTimer();
    button("Command1")->click();
    window.jobTimer().stop();  // only the folder's notifier can start the job now
    dir.write("print.tmp", " PRG KY1\r\n");
    std::filesystem::rename(dir / "print.tmp", dir / "print.1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !std::filesystem::exists(dir / "print.1"); }, 5000));
    EXPECT_EQ(sent("KY1"), 1u);
    EXPECT_EQ(dir.read("receipt.txt"), "1\r\n");
}

// A param.ini that names no port, as a shop may find it after a crash or a wrong copy: empty,
// NULs, or random bytes.
class SettingsWithoutPortTest : public WindowStatesTest,
                                public testing::WithParamInterface<const char*> {
  protected:
    static constexpr const char* kNoPort =
        "Το αρχείο ρυθμίσεων param.ini δεν ορίζει σειριακή θύρα (γραμμή [port])";

    void SetUp() override {
        WindowStatesTest::SetUp();
        const std::string kind = GetParam();
        std::string content;
        if (kind == "Nuls") content.assign(300, '\0');
        if (kind == "RandomBytes") {
            std::mt19937 random(6);
            content.assign(4096, '\0');
            for (char& c : content) c = static_cast<char>(random() & 0xFF);
        }
        dir.write("param.ini", content);
    }
};

TEST_P(SettingsWithoutPortTest, OpensTheDialogAndSavingStartsTheSearch) {
    start(false);
    EXPECT_FALSE(window.ended());
    EXPECT_EQ(boxes, std::vector<std::string>{kNoPort});
    ASSERT_NE(window.settingsDialog(), nullptr);
    EXPECT_TRUE(window.settingsDialog()->isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.watchdogTimer().isActive() || window.jobTimer().isActive());

    // Closed unsaved: the window comes back saying why it waits; the menu opens the dialog again.
    window.settingsDialog()->close();
    EXPECT_FALSE(window.ended());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(looks(), std::string(kNoPort) + " / Varkon- Σφάλμα ! 000100");
    action("param")->trigger();
    ASSERT_TRUE(window.settingsDialog()->isVisible());

    // Saved still without a port: said again, and a fresh dialog takes the place of the one
    // that was saved.
    SettingsDialog* saved = window.settingsDialog();
    saved->findChild<QComboBox*>("comtxt")->setEditText("");
    saved->confirm();
    EXPECT_FALSE(window.ended());
    EXPECT_EQ(boxes, (std::vector<std::string>{kNoPort, kNoPort}));
    ASSERT_NE(window.settingsDialog(), saved);
    ASSERT_TRUE(window.settingsDialog()->isVisible());

    // Saved with the dialog's own port: no restart asked for, the register is searched for.
    window.settingsDialog()->confirm();
    EXPECT_FALSE(window.ended());
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(looks(), "Εύρεση Ταμειακής!!! Πατήστε 793<ST>  / Varkon- Αναζήτηση 000101");
    EXPECT_EQ(window.findChild<QLabel*>("serialtxt")->text().toStdString(), "com1");
    window.onWatchdogTimer();
    EXPECT_EQ(window.statusText(), "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις");
    EXPECT_EQ(sent("KXCL"), 1u);
}

TEST_P(SettingsWithoutPortTest, EndingFromTheDialogSendsNothing) {
    start(false);
    window.settingsDialog()->close();
    action("end")->trigger();
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(window.exitCode(), kExitNormal);
    EXPECT_TRUE(line->written.empty());
    EXPECT_EQ(boxes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EmptyOrBinary, SettingsWithoutPortTest,
                         testing::Values("Empty", "Nuls", "RandomBytes"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST_F(WindowStatesTest, MissingSettingsFileIsReportedAndEndsTheProgram) {
    start(false);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(window.ended());
    EXPECT_EQ(window.exitCode(), kExitSettingsUnreadable);
    EXPECT_TRUE(line->written.empty());
}

}  // namespace
}  // namespace varkon
