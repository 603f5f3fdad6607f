#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "app/varkon.h"
#include "e2e/child_process.h"
#include "greek/cp1253.h"
#include "support/recording_surface.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace varkon {
namespace {

using test::RecordingSurface;
using test::TempDir;

const std::string kSearching = "Εύρεση Ταμειακής!!! Πατήστε 793<ST> ";
const std::string kReady = "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις";
const std::string kWaiting = "Αναμονή Για Στοιχεία....";
const std::string kStopped = "Διακοπή Εκτυπώσεων. Πατήστε Έναρξη Εκτυπώσεων!!!";
const std::string kJob = " PRG KY1\r\n";  // one raw command: KY1

// Records what would be started: program, arguments and "min" for a minimised window.
class RecordingLauncher final : public Launcher {
  public:
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               bool minimized) override {
        std::string line = program;
        for (const auto& a : arguments) line += "|" + a;
        launches.push_back(line + (minimized ? "|min" : ""));
        if (onStart) onStart();
        return !refuses;
    }
    void stopLastStarted() override { ++stops; }
    std::vector<std::string> launches;
    int stops = 0;
    bool refuses = false;  // as a program that cannot be started
    std::function<void()> onStart;
};

// The register: varkon-sim on a pseudo-terminal, reached as com1; its transcript tells what
// the engine sent.
class Register {
  public:
    Register(const TempDir& dir, std::vector<std::string> misbehaviour) : dir_(dir) {
        std::vector<std::string> argv{VARKON_SIM_PATH, "--link", (dir / "register").string(),
                                      "--transcript", (dir / "wire").string()};
        argv.insert(argv.end(), misbehaviour.begin(), misbehaviour.end());
        sim_.emplace(argv, dir.path(), std::vector<std::string>{}, dir / "sim.log");
        e2e::Eventually([&] { return fs::exists(dir / "register"); });
        ::setenv("VARKON_COM1", (dir / "register").c_str(), 1);
    }
    std::vector<std::string> commands() const {
        std::vector<std::string> list;
        std::string wire = dir_.read("wire");
        for (std::size_t at = 0, cr; (cr = wire.find('\r', at)) != std::string::npos; at = cr + 1) {
            list.push_back(wire.substr(at, cr - at));
        }
        return list;
    }
    int count(const std::string& command) const {
        auto list = commands();
        return static_cast<int>(std::count(list.begin(), list.end(), command));
    }

  private:
    const TempDir& dir_;
    std::optional<e2e::Child> sim_;
};

class EngineTest : public ::testing::Test {
  protected:
    void TearDown() override { engine.reset(); }

    // param.ini: port com1 (the pseudo-terminal), numbered files "print" in the temp folder.
    void settings(const std::string& lines = "[multi type] true\r\n[Defacto_]=no\r\n") {
        dir.write("param.ini",
                  "[port] com1\r\n[baud] 9600\r\n[file] print\r\n[ecrt] mikro\r\n"
                  "[location] " +
                      dir.path().string() + "/\r\n" + lines);
    }
    // A print file the host application finished writing a while ago.
    void drop(const std::string& name, const std::string& bytes = kJob) {
        dir.write(name, bytes);
        fs::last_write_time(dir / name, fs::file_time_type::clock::now() - 10s);
    }
    // The register answers every command unless told to misbehave (varkon-sim's options).
    void startRegister(std::vector<std::string> misbehaviour = {}) {
        reg.emplace(dir, std::move(misbehaviour));
    }
    // The desktop program's engine, or varkond's (unattended).
    Varkon& make(const std::string& arguments = "", bool unattended = false) {
        if (!reg) startRegister();
        EngineOptions options;
        options.arguments = Utf8ToCp1253(arguments);
        options.unattended = unattended;
        options.programDir = dir / "program";  // an installed program's own folder
        options.workDir = dir.path();
        options.timings.replyWindow = 200ms;
        options.timings.reportReplyWindow = 200ms;
        options.timings.readPerByte = 0ms;
        options.timings.readExtra = 10ms;
        options.timings.deleteRetryPeriod = 100ms;
        options.converterWait = 300ms;
        engine =
            std::make_unique<Varkon>(surface, launcher, MakeSerialPort(options.timings), options);
        return *engine;
    }
    Varkon& ready() {
        make().load();
        engine->onWatchdogTick();
        EXPECT_EQ(kReady, surface.status);
        return *engine;
    }
    Varkon& running() {
        ready().startPrinting();
        return *engine;
    }
    bool exists(const std::string& name) const { return fs::exists(dir / name); }

    TempDir dir;
    std::optional<Register> reg;
    RecordingSurface surface;
    RecordingLauncher launcher;
    std::unique_ptr<Varkon> engine;
};

// ---- Start-up

TEST_F(EngineTest, StartUpFillsTheOptionPanelAndSearchesForTheRegister) {
    settings("[print_desc] true\r\n[comments] fals\r\n[currency]=2\r\n[multi type] true\r\n");
    Varkon& v = make();
    v.load();
    EXPECT_EQ("print @Path : " + dir.path().string() + "/", surface.text(Control::kFileValue));
    EXPECT_EQ("com1|Να Εκτυπώνεται|Οχι|Δευτερεύων Νομισμα",
              surface.text(Control::kPortValue) + "|" + surface.text(Control::kDescriptionValue) +
                  "|" + surface.text(Control::kCommentsValue) + "|" +
                  surface.text(Control::kCurrencyValue));
    EXPECT_EQ(kSearching, surface.status);
    EXPECT_EQ("Varkon- Αναζήτηση", surface.caption);
    EXPECT_FALSE(surface.enabled(Control::kStartButton) || surface.enabled(Control::kStopButton) ||
                 surface.enabled(Control::kReportsMenu));
    EXPECT_TRUE(v.watchdogTimer().enabled && v.watchdogTimer().interval == 1000 &&
                !v.jobTimer().enabled);

    // A currency other than 0, 1 or 2 leaves the label as it was; any comment setting but
    // "fals" ("true", then none at all) reads yes, with its Latin N.
    settings("[comments] true \r\n[currency]=3\r\n[multi type] true\r\n");
    make().load();
    EXPECT_EQ("Nαι|Δευτερεύων Νομισμα",
              surface.text(Control::kCommentsValue) + "|" + surface.text(Control::kCurrencyValue));
    settings("[currency]=0\r\n");
    make().load();
    EXPECT_EQ("Nαι|Κύριο Νόμισμα",
              surface.text(Control::kCommentsValue) + "|" + surface.text(Control::kCurrencyValue));
}

TEST_F(EngineTest, StartUpThatCannotGoOnEndsWithItsStatus) {
    make().load();  // no param.ini
    EXPECT_EQ(kExitSettingsUnreadable, engine->exitCode());
    EXPECT_EQ(kMsgCritical, surface.boxes.at(0).style);

    settings();
    ::setenv("VARKON_COM1", (dir.path() / "no-such-device").c_str(), 1);
    make().load();
    EXPECT_EQ(kExitPortNotOpened, engine->exitCode());
    EXPECT_EQ("Πρόβλημα στην Θύρα :com1", surface.boxes.at(1).text);
    EXPECT_TRUE(engine->finished());

    // An empty or binary param.ini names no port: the message says so, not the port's problem,
    // and varkond, which nobody can show the settings dialog, ends.
    for (const std::string& content : {std::string(), std::string("\x89PNG\r\n\x1a\n\0\xff", 10)}) {
        dir.write("param.ini", content);
        make("", true).load();
        EXPECT_EQ(kExitPortNotOpened, engine->exitCode());
        EXPECT_EQ("Το αρχείο ρυθμίσεων param.ini δεν ορίζει σειριακή θύρα (γραμμή [port])",
                  surface.boxes.back().text);
        EXPECT_EQ(PortState::kClosed, engine->link().portState());
    }
}

// param.ini contents that name no port: empty, NULs, random bytes, a picture saved over it.
std::vector<std::pair<std::string, std::string>> SettingsWithoutPort() {
    std::mt19937 random(1253);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    return {{"empty", ""},
            {"NULs", std::string(512, '\0')},
            {"random bytes", noise},
            {"picture", std::string("\x89PNG\r\n\x1a\n\0\xff", 10)}};
}

TEST_F(EngineTest, DesktopStartUpWithoutAPortAsksForSettingsInsteadOfEnding) {
    const std::string kNoPort =
        "Το αρχείο ρυθμίσεων param.ini δεν ορίζει σειριακή θύρα (γραμμή [port])";
    for (const auto& [what, content] : SettingsWithoutPort()) {
        SCOPED_TRACE(what);
        engine.reset();
        surface = RecordingSurface();
        dir.write("param.ini", content);
        Varkon& v = make();
        v.load();
        EXPECT_FALSE(v.finished());
        ASSERT_EQ(1u, surface.boxes.size());
        EXPECT_EQ(kNoPort, surface.boxes[0].text);
        EXPECT_EQ(kMsgCritical, surface.boxes[0].style);
        // The search failure path: the dialog instead of the main window, nothing ticking.
        EXPECT_TRUE(surface.visible(Window::kSettings));
        EXPECT_FALSE(surface.visible(Window::kMain));
        EXPECT_FALSE(v.watchdogTimer().enabled || v.jobTimer().enabled);
        EXPECT_FALSE(surface.enabled(Control::kStartButton) ||
                     surface.enabled(Control::kReportsMenu));
        EXPECT_EQ(PortState::kClosed, v.link().portState());

        // Closed unsaved: the window says what is missing and waits; nothing is probed.
        v.settingsClosed();
        EXPECT_TRUE(surface.visible(Window::kMain));
        EXPECT_EQ(kNoPort, surface.status);
        EXPECT_FALSE(v.watchdogTimer().enabled);
        EXPECT_FALSE(v.finished());

        // Ending from here says no goodbye on a port it never had, and tells nothing more.
        v.endProgram();
        EXPECT_TRUE(v.finished());
        EXPECT_EQ(kExitNormal, v.exitCode());
        EXPECT_EQ(1u, surface.boxes.size());
        EXPECT_EQ(0, reg->count("KX794ST"));
    }
}

TEST_F(EngineTest, SettingsSavedAfterStartUpFoundNoPortStartTheRegisterSearch) {
    dir.write("param.ini", std::string(64, '\0'));
    Varkon& v = make();
    v.load();
    dir.write("param.ini", "[port] \r\n");  // saved still without a port: asked again
    surface.setVisible(Window::kSettings, false);
    v.settingsSaved();
    EXPECT_FALSE(v.finished());
    EXPECT_EQ(2u, surface.boxes.size());
    EXPECT_TRUE(surface.visible(Window::kSettings));
    EXPECT_TRUE(v.waitsForSettings());

    settings("[multi type] true\r\n[Defacto_]=no\r\n[currency]=2\r\n");
    v.settingsSaved();
    EXPECT_FALSE(v.finished());
    EXPECT_FALSE(v.waitsForSettings());
    EXPECT_EQ(2u, surface.boxes.size());
    EXPECT_EQ(kSearching, surface.status);
    EXPECT_EQ("com1|Δευτερεύων Νομισμα",
              surface.text(Control::kPortValue) + "|" + surface.text(Control::kCurrencyValue));
    EXPECT_TRUE(surface.visible(Window::kMain));
    EXPECT_TRUE(v.watchdogTimer().enabled);
    v.onWatchdogTick();
    EXPECT_EQ(kReady, surface.status);

    // From now on saving is the ordinary kind: the program ends for a restart.
    v.settingsSaved();
    EXPECT_TRUE(v.finished());
    EXPECT_EQ(kExitNormal, v.exitCode());
}

TEST_F(EngineTest, SixCharacterOptionStringSaysFarewellBeforeAnyPortOpens) {
    Varkon& v = make("com1,9600,print.1,0,mikro,111000");
    v.load();
    EXPECT_EQ(kExitArgumentsRejected, v.exitCode());
    EXPECT_EQ(PortState::kClosed, v.link().portState());
    ASSERT_EQ(4u, surface.drawing.size());
    EXPECT_EQ("", surface.drawing[0]);
    EXPECT_NE(std::string::npos,
              surface.drawing[2].find("Ευχαριστουμε που χρησιμοποιησατε την εφαρμογη Varkon"));
    for (int line = 1; line <= 3; ++line) {
        std::size_t width = 0;
        for (unsigned char c : surface.drawing[line]) width += (c & 0xC0) != 0x80;
        EXPECT_EQ(61u, width) << surface.drawing[line];
    }
}

TEST_F(EngineTest, DelayInfBesideParamIniComesBeforeTheOneBesideTheProgram) {
    Varkon& v = make();
    fs::create_directory(dir / "program");
    dir.write("program/delay.inf", "250");
    EXPECT_EQ(250ms, v.pacingDelay());
    dir.write("delay.inf", "40");
    EXPECT_EQ(40ms, v.pacingDelay());
    dir.write("delay.inf", "none");  // the shop's own file counts, even asking for no pause
    EXPECT_EQ(0ms, v.pacingDelay());
}

// ---- Watchdog, start and stop

TEST_F(EngineTest, RegisterAnsweringTheSecondProbeMakesTheWindowReady) {
    settings();
    startRegister({"--silent", "4"});  // every send of the first probe
    Varkon& v = make();
    v.load();
    v.onWatchdogTick();
    EXPECT_EQ("Ταμειακή OFF-Line !!!\r\nΠροσπάθεια 1/3", surface.status);
    EXPECT_EQ("Varkon- Σφάλμα !", surface.caption);
    v.onWatchdogTick();
    EXPECT_EQ(kReady, surface.status);
    EXPECT_EQ("Varkon- Έτοιμο", surface.caption);
    EXPECT_TRUE(surface.enabled(Control::kStartButton) &&
                surface.isDefault(Control::kStartButton) && surface.enabled(Control::kReportsMenu));
    EXPECT_FALSE(v.watchdogTimer().enabled || v.jobTimer().enabled);
}

TEST_F(EngineTest, SilentRegisterGetsThreeProbesInTheProgramsWholeLife) {
    settings();
    startRegister({"--offline"});
    Varkon& v = make();
    v.load();
    for (int tick = 1; tick <= 3; ++tick) {
        v.onWatchdogTick();
        EXPECT_EQ("Ταμειακή OFF-Line !!!\r\nΠροσπάθεια " + std::to_string(tick) + "/3",
                  surface.status);
    }
    const int sent = reg->count("KXCL");
    v.onWatchdogTick();
    EXPECT_FALSE(v.watchdogTimer().enabled);
    v.settingsClosed();  // the settings dialog turns the watchdog on again
    v.onWatchdogTick();
    EXPECT_FALSE(v.watchdogTimer().enabled);
    EXPECT_EQ(sent, reg->count("KXCL"));
    EXPECT_FALSE(v.finished());
}

TEST_F(EngineTest, AutostarStartsTheJobLoopWhenTheRegisterAnswers) {
    settings("[multi type] true\r\n[AutoStar]=yes\r\n");
    make().load();
    engine->onWatchdogTick();
    EXPECT_TRUE(engine->jobTimer().enabled);
    EXPECT_EQ(kWaiting, surface.status);
}

TEST_F(EngineTest, StartAndStopSwitchTheJobLoop) {
    settings();
    Varkon& v = running();
    EXPECT_TRUE(v.jobTimer().enabled && v.jobTimer().interval == 1000);
    EXPECT_EQ("Varkon- Αναμονή", surface.caption);
    EXPECT_FALSE(surface.enabled(Control::kStartButton) || surface.enabled(Control::kReportsMenu) ||
                 surface.enabled(Control::kSettingsMenu));
    v.onJobTick();  // no job: the port is released between jobs
    EXPECT_EQ(PortState::kClosed, v.link().portState());

    v.stopPrinting();
    EXPECT_FALSE(v.jobTimer().enabled);
    EXPECT_EQ(kStopped, surface.status);
    EXPECT_EQ("Varkon- Διακόπηκε", surface.caption);
    EXPECT_TRUE(surface.enabled(Control::kStartButton) && surface.enabled(Control::kReportsMenu) &&
                surface.enabled(Control::kSettingsMenu) && !surface.enabled(Control::kStopButton));
    EXPECT_NE(PortState::kClosed, v.link().portState());  // open again for the reports
}

TEST_F(EngineTest, StartCommandForBacktickArgumentsIsLaunchedOrItsErrorsListed) {
    Varkon& v = make("com1,9600,print.1,0,mikro,1110000`");
    dir.write("cop2fis.bat", "");
    v.startPrinting();
    // The start command of the work folder, started minimised.
    EXPECT_EQ(std::vector<std::string>{(dir / "cop2fis.bat").string() + "|min"}, launcher.launches);
    EXPECT_EQ(3000, v.jobTimer().interval);  // with arguments the design interval stays

    fs::remove(dir / "cop2fis.bat");
    dir.write("error.lst", "E53 File not found\r\nE5  other\r\n 53 Check it\r\nE75 x\r\n");
    v.startPrinting();
    EXPECT_EQ(kExitJobFailed, v.exitCode());
    EXPECT_EQ((std::vector<std::string>{"53", "E53 File not found", " 53 Check it"}),
              surface.drawing);
}

// ---- The job loop

TEST_F(EngineTest, AFileRenamedInIsTakenAtOnceWithoutWaitingForTheTickOrTheSettlingTime) {
    settings();
    Varkon& v = running();
    ASSERT_NE(-1, v.folderWaitHandle());
    // Written just now, so a tick alone would still wait half a second for it to settle.
    dir.write("print.tmp", kJob);
    v.onJobTick();
    fs::rename(dir / "print.tmp", dir / "print.1");
    ASSERT_TRUE(e2e::Eventually([&] {
        v.onFolderChanged();
        return !exists("print.1");
    }));
    EXPECT_EQ(1, reg->count("KY1"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));

    // The loop's own writes wake nobody: nothing more happens, and a stopped loop takes nothing.
    v.onFolderChanged();
    v.stopPrinting();
    dir.write("print.tmp", kJob);
    fs::rename(dir / "print.tmp", dir / "print.2");
    v.onFolderChanged();
    EXPECT_TRUE(exists("print.2"));
}

TEST_F(EngineTest, NumberedModeTakesTheLowestNonEmptyFileAndCountsIt) {
    settings();
    Varkon& v = running();
    drop("print.1", "");
    drop("print.3");
    drop("print");
    v.onJobTick();
    EXPECT_FALSE(exists("print.3"));
    EXPECT_TRUE(exists("print.1") && exists("print") && exists("journal.txt"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(1, reg->count("KY1"));
    EXPECT_EQ(PortState::kClosed, v.link().portState());

    drop("print.7");
    v.onJobTick();
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_EQ("2", surface.text(Control::kReceiptCounter));

    // The operator may type into the counter: only its leading digits count.
    v.receiptCounterEdited("41 receipts");
    drop("print.8");
    v.onJobTick();
    EXPECT_EQ("42\r\n", dir.read("receipt.txt"));
    v.receiptCounterEdited("none");
    drop("print.9");
    v.onJobTick();
    EXPECT_EQ("1", surface.text(Control::kReceiptCounter));
}

TEST_F(EngineTest, WithoutADefactoSettingOnlyNonameIsLookedFor) {
    settings("[multi type] true\r\n");
    Varkon& v = running();
    drop("print.1");
    v.onJobTick();
    EXPECT_TRUE(exists("print.1"));
    drop("noname.prn");
    v.onJobTick();
    EXPECT_FALSE(exists("noname.prn"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
}

TEST_F(EngineTest, PatternTakesTheFirstMatchingOrdinaryFileAtEachTick) {
    settings("[multi type] true\r\n[Defacto_]=no\r\n[file] *.prn\r\n");
    Varkon& v = running();
    drop("b.prn");
    drop("a.PRN");
    drop(".hidden.prn");
    fs::create_directory(dir / "c.prn");
    v.onJobTick();
    EXPECT_FALSE(exists("a.PRN"));
    EXPECT_TRUE(exists("b.prn"));
    v.onJobTick();
    v.onJobTick();
    EXPECT_FALSE(exists("b.prn"));
    EXPECT_TRUE(exists(".hidden.prn"));
    EXPECT_EQ("2", surface.text(Control::kReceiptCounter));
}

TEST_F(EngineTest, FileStillBeingWrittenIsNotTakenUntilItSettles) {
    settings();
    Varkon& v = running();
    dir.write("print.1", kJob);  // written just now
    v.onJobTick();
    EXPECT_TRUE(exists("print.1"));
    EXPECT_FALSE(exists("receipt.txt"));
    fs::last_write_time(dir / "print.1", fs::file_time_type::clock::now() - 10s);
    v.onJobTick();
    EXPECT_FALSE(exists("print.1"));
    EXPECT_EQ(1, reg->count("KY1"));
}

TEST_F(EngineTest, ConverterGetsThePrintFileAsOneArgumentAndItsMarkerIsAwaited) {
    settings("[multi type] true\r\n[Defacto_]=no\r\n[convert2]=conv /q\r\n");
    Varkon& v = running();
    dir.write("end.txt", "old");
    launcher.onStart = [&] { dir.write("end.txt", "done"); };
    drop("print.1");
    v.onJobTick();
    EXPECT_EQ(std::vector<std::string>{"conv|/q|" + dir.path().string() + "/print.1|min"},
              launcher.launches);
    EXPECT_FALSE(exists("print.1"));
    EXPECT_EQ(0, launcher.stops);

    launcher.onStart = nullptr;  // a converter that never finishes: the old marker is gone
    drop("print.2");
    v.onJobTick();
    EXPECT_TRUE(exists("print.2"));
    EXPECT_EQ(1u, surface.boxes.size());
    EXPECT_EQ("1", surface.text(Control::kReceiptCounter));
    // It is ended before the next try starts a fresh one.
    EXPECT_EQ(1, launcher.stops);
    v.onJobTick();
    EXPECT_EQ(2, launcher.stops);
    EXPECT_EQ(3u, launcher.launches.size());
}

TEST_F(EngineTest, ConverterThatCannotBeStartedIsToldOnceUntilItsCommandChanges) {
    settings("[multi type] true\r\n[Defacto_]=no\r\n[convert2]=conv /q\r\n");
    Varkon& v = running();
    launcher.refuses = true;
    drop("print.1");
    for (int tick = 0; tick < 3; ++tick) v.onJobTick();
    EXPECT_EQ(3u, launcher.launches.size());
    ASSERT_EQ(1u, surface.boxes.size());
    EXPECT_EQ(0u,
              surface.boxes[0].text.find("Δεν ήταν δυνατή η εκκίνηση της επεξεργασίας : conv /q"));
    settings("[multi type] true\r\n[Defacto_]=no\r\n[convert2]=conv2\r\n");
    v.onJobTick();
    v.onJobTick();
    EXPECT_EQ(2u, surface.boxes.size());
    EXPECT_TRUE(exists("print.1"));
    EXPECT_EQ("", surface.text(Control::kReceiptCounter));  // never counted
}

TEST_F(EngineTest, UnreadableSettingsAtATickKeepThePreviousOnes) {
    settings();
    Varkon& v = running();
    fs::remove(dir / "param.ini");
    drop("print.1");
    v.onJobTick();
    EXPECT_FALSE(exists("print.1"));
    EXPECT_TRUE(surface.boxes.empty());
}

TEST_F(EngineTest, GivingUpADeletionRunsTheStopActionAndKeepsItsState) {
    settings();
    Varkon& v = running();
    drop("print.1");
    fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    if (::access(dir.path().c_str(), W_OK) == 0) {
        fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user may delete in a read-only folder";
    }
    surface.answers = {kAnswerCancel};
    v.onJobTick();
    fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(exists("print.1"));
    EXPECT_EQ(17, surface.boxes.back().style);
    EXPECT_FALSE(v.jobTimer().enabled);
    EXPECT_EQ(kStopped, surface.status);
    EXPECT_NE(PortState::kClosed, v.link().portState());
}

TEST_F(EngineTest, SingleFileModePrintsKeepsAProgramFileAndEnds) {
    settings("[multi type] false\r\n[file] job.PRG\r\n");
    Varkon& v = running();
    drop("job.PRG");
    v.onJobTick();
    EXPECT_EQ(1, reg->count("KY1"));
    EXPECT_TRUE(exists("job.PRG"));
    EXPECT_EQ("", dir.read("receipt.txt"));
    EXPECT_EQ(kExitNormal, v.exitCode());
    EXPECT_TRUE(v.finished() && v.link().portState() == PortState::kClosed);
}

TEST_F(EngineTest, SingleFileOrOneShotWithoutItsFileEndsWithTheJobError) {
    settings("[multi type] false\r\n[file] job.prn\r\n");
    running().onJobTick();
    EXPECT_EQ(kExitJobFailed, engine->exitCode());
    EXPECT_EQ(0u, surface.boxes.at(0).text.find("Λάθος : 53\r"));

    make("com1,9600,nothing.1,0,mikro,1110000").load();
    EXPECT_EQ(kExitJobFailed, engine->exitCode());
    EXPECT_EQ(0u, surface.boxes.at(1).text.find("Λάθος : 53\r"));
    EXPECT_EQ(kMsgCritical, surface.boxes.at(1).style);
}

// ---- Menus

TEST_F(EngineTest, EndMenuSendsTheEndSequenceLast) {
    settings();
    Varkon& v = running();
    v.onJobTick();  // port closed between jobs: the end menu opens it
    v.endProgram();
    EXPECT_TRUE(v.finished());
    ASSERT_TRUE(e2e::Eventually([&] { return reg->count("KX794ST") == 1; }));
    EXPECT_EQ("KX794ST", reg->commands().back());
    EXPECT_EQ(PortState::kClosed, v.link().portState());
}

TEST_F(EngineTest, BasicProgrammingRunsOnlyInTheReadyState) {
    settings();
    dir.write("STD.PRG", kJob);
    running().runBasicProgramming();
    EXPECT_EQ("Η ταμειακη δεν ειναι σε συνδεση", surface.boxes.at(0).text);
    EXPECT_FALSE(exists("print.1"));

    Varkon& v = ready();
    v.runBasicProgramming();
    EXPECT_EQ(kJob, dir.read("print.1"));
    EXPECT_TRUE(v.jobTimer().enabled);
    EXPECT_EQ(kWaiting + "\r\nΈναρξη Προγραμματισμού Ταμειακής ......", surface.status);
}

}  // namespace
}  // namespace varkon
