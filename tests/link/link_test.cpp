#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "config/pacing_delay.h"
#include "greek/cp1253.h"
#include "link/posix_serial_port.h"
#include "link/register_link.h"
#include "link/reply_decoder.h"
#include "maintenance/link_messages.h"
#include "support/recording_notices.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

using namespace std::chrono_literals;
using Answers = std::vector<std::string>;

const std::string kNoAnswer = "Ο Φορολ. Εκτυπωτής δεν Απαντά σε εντολή !";
const LineFormat k9600{};

LinkTimings ShortTimings() {
    LinkTimings timings;
    timings.replyWindow = 200ms;
    timings.readPerByte = 0ms;
    timings.readExtra = 20ms;
    return timings;
}

// The register's side of a real pseudo-terminal pair: a thread collects every byte the link
// writes and answers each command (up to CR) with the script's pieces, written 30 ms apart, after
// the pause `busy` gives for it. It takes one command at a time: what arrives while it is busy is
// answered after. On the arrival of command number hangUpAt it closes its side, as an unplugged
// adapter would.
class FakeRegister {
  public:
    using Script = std::function<Answers(int index)>;
    using Pause = std::function<std::chrono::milliseconds(int index)>;

    explicit FakeRegister(Script script, int hangUpAt = -1, Pause busy = {})
        : script_(std::move(script)), busy_(std::move(busy)), hangUpAt_(hangUpAt) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::pipe(stop_) != 0) {
            throw std::runtime_error("cannot create a pseudo-terminal");
        }
        port_ = ::ptsname(master_);
        slaveHold_ = ::open(port_.c_str(), O_RDWR | O_NOCTTY);  // keeps the terminal alive
        // Raw from the start: bytes that arrive before the link opens are neither echoed nor
        // cooked.
        termios raw{};
        if (::tcgetattr(slaveHold_, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slaveHold_, TCSANOW, &raw);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~FakeRegister() {
        (void)::write(stop_[1], "x", 1);
        thread_.join();
        for (int fd : {master_, slaveHold_, stop_[0], stop_[1]}) ::close(fd);
    }
    const std::string& port() const { return port_; }

    // Puts bytes on the line unasked, as a register answering a command of an earlier program.
    // Returns once they wait unread on the link's side.
    void sendUnasked(const std::string& bytes) {
        int before = 0;
        ::ioctl(slaveHold_, FIONREAD, &before);
        (void)::write(master_, bytes.data(), bytes.size());
        const auto until = std::chrono::steady_clock::now() + 5s;
        for (int waiting = 0; std::chrono::steady_clock::now() < until;) {
            if (::ioctl(slaveHold_, FIONREAD, &waiting) == 0 &&
                waiting >= before + static_cast<int>(bytes.size())) {
                return;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    // Every byte received, once `count` are in (or after a few seconds).
    std::string wire(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, 5s, [&] { return wire_.size() >= count; });
        return wire_;
    }

  private:
    void run() {
        int index = 0;
        std::size_t commandStart = 0;
        while (true) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
            char buffer[4096];
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) continue;
            std::string received;
            {
                std::lock_guard lock(mutex_);
                wire_.append(buffer, static_cast<std::size_t>(n));
                received = wire_;
            }
            arrived_.notify_all();
            for (std::size_t cr; (cr = received.find('\r', commandStart)) != std::string::npos;) {
                commandStart = cr + 1;
                if (index == hangUpAt_) ::close(std::exchange(master_, -1));
                if (master_ < 0) return;
                if (busy_) std::this_thread::sleep_for(busy_(index));
                Answers pieces = script_(index++);
                for (std::size_t i = 0; i < pieces.size(); ++i) {
                    if (i > 0) std::this_thread::sleep_for(30ms);
                    (void)::write(master_, pieces[i].data(), pieces[i].size());
                }
            }
        }
    }

    Script script_;
    Pause busy_;
    int hangUpAt_;
    int master_ = -1;
    int slaveHold_ = -1;
    int stop_[2] = {-1, -1};
    std::string port_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::string wire_;
    std::thread thread_;
};

FakeRegister::Script Always(Answers answer) {
    return [answer](int) { return answer; };
}

// The real port, with a record of the calls the exchange makes on it.
class RecordingPort final : public SerialPort {
  public:
    PortOpening open(const std::string& name, const std::optional<LineFormat>& format) override {
        return real_.open(name, format);
    }
    bool isOpen() const override { return real_.isOpen(); }
    void close() override { real_.close(); }
    bool write(std::string_view bytes) override {
        writes.push_back(bytes.size());
        return real_.write(bytes);
    }
    std::string read(std::size_t maxBytes) override {
        ++reads;
        return real_.read(maxBytes);
    }
    std::string openFailure() const override { return real_.openFailure(); }
    std::size_t discardInput() override { return real_.discardInput(); }

    std::vector<std::size_t> writes;
    int reads = 0;

  private:
    PosixSerialPort real_{ShortTimings()};
};

class LinkTest : public ::testing::Test {
  protected:
    // As the engine opens: the speed text of the settings, a failure told unless quiet.
    PortOpening open(const std::string& portName, const std::string& baud, bool quiet) {
        const PortOpening outcome = link.open(portName, LineFormatForSpeed(baud));
        if (!quiet) TellOpenOutcome(notices, outcome, portName);
        return outcome;
    }
    void open(const FakeRegister& fake) {
        ASSERT_EQ(PortOpening::kOpened, open(fake.port(), "9600", false)) << port->openFailure();
    }
    // The text the operator reads for the outcome; the outcome itself is kept in `last`.
    std::string send(const std::string& command, bool quiet = false) {
        last = link.send(command, quiet);
        return ExchangeText(last);
    }

    test::RecordingNotices notices;
    test::TempDir dir;
    RecordingPort* port = new RecordingPort;
    RegisterLink link{notices, std::unique_ptr<SerialPort>(port), ShortTimings(),
                      [this] { return ReadPacingDelay({}, dir.path()); }};
    ExchangeResult last;
};

TEST_F(LinkTest, PortThatDoesNotOpenIsShownAndStaysFailedUntilClosed) {
    ::setenv("VARKON_COM3", "/nonexistent/ttyX", 1);
    EXPECT_EQ(PortOpening::kNotOpened, open("com3", "9600", false));
    EXPECT_EQ("Πρόβλημα στην Θύρα :com3", OpenFailureText(PortOpening::kNotOpened, "com3"));
    EXPECT_EQ(PortState::kFailed, link.portState());
    // The system's reason is kept for the service's log.
    EXPECT_EQ("/nonexistent/ttyX: No such file or directory", port->openFailure());
    ASSERT_EQ(1u, notices.boxes.size());
    EXPECT_EQ("Πρόβλημα στην Θύρα :com3", notices.boxes[0].text);
    EXPECT_EQ(16, notices.boxes[0].style);
    EXPECT_EQ("Μύνημα Varkon", notices.boxes[0].title);

    // Every exchange on it ends as with a silent register, sleeping rather than spinning.
    EXPECT_EQ(kNoAnswer, send("KXCL", true));
    EXPECT_EQ(ExchangeStatus::kNoAnswer, last.status);
    EXPECT_LT(port->reads, 100);

    link.close();
    EXPECT_EQ(PortState::kClosed, link.portState());
    for (const char* name : {"lpt1", "com0", "", "ttyS0"}) {
        EXPECT_EQ(PortOpening::kNotOpened, open(name, "9600", true)) << name;
        EXPECT_EQ(PortState::kFailed, link.portState()) << name;
    }
    EXPECT_EQ(1u, notices.boxes.size());
}

TEST_F(LinkTest, SpeedTheLineCannotTakeIsASetUpFailureWithThePortLeftOpen) {
    FakeRegister fake(Always({"\x04"}));
    for (const char* baud : {"abc", "", "12345", "9600x", " "}) {
        notices.boxes.clear();
        EXPECT_EQ(PortOpening::kSetUpFailed, open(fake.port(), baud, false)) << baud;
        ASSERT_EQ(1u, notices.boxes.size());
        EXPECT_EQ("Πρόβλημα στο Set-Up τής Θύρας :" + fake.port(), notices.boxes[0].text);
        EXPECT_EQ(PortState::kOpen, link.portState());
        EXPECT_TRUE(port->isOpen());
    }
    open(fake);
    EXPECT_EQ("", send("KXCL"));
}

TEST(PosixSerialPort, PortIsExclusiveAndComNamesFollowTheirVariable) {
    FakeRegister fake(Always({"\x04"}));
    ::setenv("VARKON_COM7", fake.port().c_str(), 1);
    EXPECT_EQ("/dev/ttyS1", PosixSerialPort::DevicePath("Com2"));
    PosixSerialPort first(ShortTimings()), second(ShortTimings());
    EXPECT_EQ(PortOpening::kOpened, first.open("COM7", k9600));
    EXPECT_EQ(PortOpening::kBusy, second.open(fake.port(), k9600));
    EXPECT_FALSE(second.isOpen());
    first.close();
    EXPECT_EQ(PortOpening::kOpened, second.open("com7", LineFormat{.baud = 115200}));
}

TEST_F(LinkTest, LongCommandGoesOutInPiecesOf255Bytes) {
    FakeRegister fake(Always({"\x04"}));
    open(fake);
    std::string command(300, 'K');
    command[299] = '9';
    EXPECT_EQ("", send(command));
    EXPECT_EQ((std::vector<std::size_t>{255, 46}), port->writes);
    EXPECT_EQ(command + "\r", fake.wire(301));
}

TEST_F(LinkTest, SilentRegisterGetsFourSendsThenTheNoAnswerBox) {
    FakeRegister fake(Always({}));
    open(fake);
    EXPECT_EQ(kNoAnswer, send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kNoAnswer, last.status);
    EXPECT_EQ("KXCL\rKXCL\rKXCL\rKXCL\r", fake.wire(20));
    EXPECT_EQ("Σφάλμα !!!" + kNoAnswer, notices.caption);
    ASSERT_EQ(1u, notices.boxes.size());
    EXPECT_EQ(kNoAnswer, notices.boxes[0].text);
    EXPECT_EQ(64, notices.boxes[0].style);
    EXPECT_EQ("Μύνημα Φορολ. Εκτυπωτή", notices.boxes[0].title);
    EXPECT_GE(notices.repaints, port->reads - 4);  // the window paints between reads
}

TEST_F(LinkTest, AnswerToTheThirdSendEndsTheExchange) {
    FakeRegister fake([](int index) { return index < 2 ? Answers{} : Answers{"\x04"}; });
    open(fake);
    EXPECT_EQ("", send("KXT1"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    EXPECT_EQ("KXT1\rKXT1\rKXT1\r", fake.wire(15));
    EXPECT_TRUE(notices.boxes.empty());
}

TEST_F(LinkTest, PowerOffCommandIsSentOnceAndNothingIsRead) {
    FakeRegister fake(Always({"\x04"}));
    open(fake);
    const ExchangeResult result = link.send("KX794ST");
    EXPECT_EQ("", result.reply);
    EXPECT_EQ(ExchangeStatus::kNoAnswerAwaited, result.status);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(0, port->reads);
    EXPECT_EQ("KX794ST\r", fake.wire(8));
}

// ok is what every caller goes on from: a told refusal fails unless its code is 0, a quiet one
// leaves the judging to the caller (refused() still says so), as the register search and the
// receipt's settlement rely on.
TEST_F(LinkTest, RegisterAnswersAreJudgedByTheirCode) {
    using S = ExchangeStatus;
    struct Case {
        std::string answer;
        bool quiet;
        S status;
        int code;
        bool ok;
        std::string reply;
        std::optional<std::string> box;
    };
    const std::string digits(200, '9');
    const std::vector<Case> cases = {
        {"DE00\r\x04", false, S::kAnswered, 0, true, "DE00", {}},
        {"\x04", false, S::kAnswered, 0, true, "", {}},
        {"DE2\r\x04", false, S::kRefused, 2, false, "Τέλος Χαρτιού !",
         "Λάθος : 2\rΤέλος Χαρτιού !"},
        {"DE02\r\x04", false, S::kRefused, 2, false, "DE02", "Λάθος : 2\rDE02"},
        {"DE07 xyz\r\x04", false, S::kRefused, 7, false, "DE07 xyz", "Λάθος : 7\rDE07 xyz"},
        {"DE7 xyz\r\x04", false, S::kRefused, 7, false,
         "Πρόβλημα στην Φορολογική Μνήμη !\rΚαλέστε τεχνικό !",
         "Λάθος : 7\rΠρόβλημα στην Φορολογική Μνήμη !\rΚαλέστε τεχνικό !"},
        {"DE57\r\x04", false, S::kRefused, 57, false, "Λανθασμένη Λειτουργία  !",
         "Λάθος : 57\rΛανθασμένη Λειτουργία  !"},
        {"DE2\r\x04", true, S::kRefused, 2, true, "Τέλος Χαρτιού !", {}},
        {"DE\r\x04", true, S::kCodeNotANumber, 0, true, "DE", {}},
        {"DE0\r\x04", false, S::kRefused, 0, true, "DE0", "Λάθος : 0\rDE0"},
        {"DE\r\x04", false, S::kCodeNotANumber, 0, false, "DE", "Λάθος : -3\rDE"},
        {"DE" + digits + "\r\x04", false, S::kCodeNotANumber, 0, false, "DE" + digits,
         "Λάθος : -3\rDE" + digits},
        {"DE5x\r\x04", false, S::kCodeNotANumber, 0, false, "DE5x", "Λάθος : -3\rDE5x"},
        {std::string("OK\0\xff\n\x04", 6), false, S::kOtherReply, 0, true,
         std::string("OK\0ÿ\n", 6), "Λάθος : 0\r" + std::string("OK\0ÿ\n", 6)},
    };
    FakeRegister fake([&](int index) {
        return index < static_cast<int>(cases.size()) ? Answers{cases[index].answer} : Answers{};
    });
    open(fake);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        notices.boxes.clear();
        notices.caption.clear();
        EXPECT_EQ(c.reply, send("KXCL", c.quiet));
        EXPECT_EQ(c.status, last.status);
        EXPECT_EQ(c.code, last.code);
        EXPECT_EQ(c.ok, last.ok());
        EXPECT_EQ(c.status != S::kAnswered && c.status != S::kOtherReply, last.refused());
        EXPECT_EQ(c.box ? "Σφάλμα !!!" + c.reply : "", notices.caption);
        ASSERT_EQ(c.box ? 1u : 0u, notices.boxes.size());
        if (!c.box) continue;
        EXPECT_EQ(*c.box, notices.boxes[0].text);
        EXPECT_EQ(16, notices.boxes[0].style);
        EXPECT_EQ("", notices.boxes[0].title);
    }
}

TEST(ReplyDecoder, TwentyFiveCodesHaveMessages) {
    int known = 0;
    for (int code = 0; code < 100; ++code) {
        if (!ErrorMessageForCode(std::to_string(code)).empty()) ++known;
    }
    EXPECT_EQ(25, known);
    EXPECT_EQ("", ErrorMessageForCode("05"));
    EXPECT_EQ("Λάθος Ημερομηνία / Ώρα !\rΠατήστε 'Διαγραφή' !",
              Cp1253ToUtf8(ErrorMessageForCode("23")));
}

TEST_F(LinkTest, RefusalWhoseCodeComesLaterIsReadToItsEnd) {
    // "DE" in one read, the code and 0x04 in a later one: the code is judged, and nothing of this
    // answer is left over for the next command.
    FakeRegister split([](int index) {
        return index == 0 ? Answers{"DE", "2\r\x04"} : Answers{"\x04"};
    });
    open(split);
    EXPECT_EQ("Τέλος Χαρτιού !", send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kRefused, last.status);
    EXPECT_EQ(2, last.code);
    EXPECT_EQ("", send("KXT1"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    EXPECT_EQ("KXCL\rKXT1\r", split.wire(10));
}

TEST_F(LinkTest, RefusalWithoutItsCodeEndsWhenTheLineGoesQuiet) {
    FakeRegister fake(Always({"DE"}));  // the code never follows
    open(fake);
    EXPECT_EQ("DE", send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kCodeNotANumber, last.status);
    EXPECT_EQ("KXCL\r", fake.wire(5));
}

TEST_F(LinkTest, EndMarksAreFoundBeyondTheKeptTextAndAcrossReads) {
    // 70000 bytes of noise, then "D" and, in a later read, "E".
    FakeRegister fake(Always({std::string(70000, 'x') + "D", "E"}));
    open(fake);
    const ExchangeResult result = link.send("KXCL", true);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(64u * 1024, result.reply.size());
}

TEST_F(LinkTest, PacingPauseIsReadFromDelayInf) {
    EXPECT_EQ(0ms, ReadPacingDelay({}, dir.path()));
    const std::vector<std::pair<std::string, std::chrono::milliseconds>> cases = {
        {"250", 250ms}, {" 250\r\n", 250ms}, {"+40", 40ms},        {"0", 0ms},
        {"abc", 0ms},   {"-5", 0ms},         {"2.5", 0ms},         {"2,5", 0ms},
        {"", 0ms},      {"60001", 0ms},      {"99999999999", 0ms}, {"60000", 60000ms},
    };
    for (const auto& [content, pause] : cases) {
        dir.write("delay.inf", content);
        EXPECT_EQ(pause, ReadPacingDelay({}, dir.path())) << content;
    }
}

// An operator may change delay.inf while the program runs: the pause is asked for after every
// command, not once.
TEST_F(LinkTest, PauseAfterACommandIsAskedForAfreshEveryTime) {
    FakeRegister fake(Always({"\x04"}));
    open(fake);
    const auto timed = [&] {
        const auto start = std::chrono::steady_clock::now();
        send("KXCL");
        return std::chrono::steady_clock::now() - start;
    };
    dir.write("delay.inf", "300");
    EXPECT_GE(timed(), 300ms);
    dir.write("delay.inf", "0");
    EXPECT_LT(timed(), 300ms);
}

TEST_F(LinkTest, HungUpPortEndsLikeASilentRegisterAndAFreshPortOpens) {
    {
        FakeRegister fake(Always({"\x04"}), 0);
        open(fake);
        EXPECT_EQ(kNoAnswer, send("KXCL"));
        EXPECT_EQ(ExchangeStatus::kNoAnswer, last.status);
        EXPECT_LT(port->reads, 100);  // a hung-up line must not make the wait spin
        link.close();
    }
    FakeRegister fresh(Always({"\x04"}));
    open(fresh);
    EXPECT_EQ("", send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
}

// ---- Answers that come unasked or late must never shift the answers after them -----------------

TEST(PosixSerialPort, WhatArrivedBeforeTheOpenIsNotRead) {
    FakeRegister fake(Always({"\x04"}));
    fake.sendUnasked("DE2\r\x04");  // the last answer to a program killed while it waited
    PosixSerialPort port(ShortTimings());
    ASSERT_EQ(PortOpening::kOpened, port.open(fake.port(), k9600));
    EXPECT_EQ("", port.read(255));
    ASSERT_TRUE(port.write("KXCL\r"));
    EXPECT_EQ("\x04", port.read(255));
}

TEST_F(LinkTest, AnswerThatCameUnaskedIsNotTakenForTheNextCommand) {
    FakeRegister fake(Always({"\x04"}));
    open(fake);
    fake.sendUnasked("DE2\r\x04");
    EXPECT_EQ("", send("KXCL"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    EXPECT_TRUE(notices.boxes.empty());
    EXPECT_EQ("KXCL\r", fake.wire(5));
}

// The register is busy past the reply window with the first command, so it is sent again; then it
// answers both sends, one after the other, as it answers every command: a little after taking it.
// The late answer settles the first command, and the refusal of the second is told for the
// second.
TEST_F(LinkTest, LateAnswerSettlesItsCommandAndTheAnswerToItsSecondSendIsDropped) {
    FakeRegister fake([](int index) { return index == 2 ? Answers{"DE2\r\x04"} : Answers{"\x04"}; },
                      -1, [](int index) { return index == 0 ? 300ms : 40ms; });
    open(fake);
    EXPECT_EQ("", send("KXA"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    EXPECT_EQ("Τέλος Χαρτιού !", send("KXB"));
    EXPECT_EQ(2, last.code);
    EXPECT_EQ("", send("KXC"));
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    ASSERT_EQ(1u, notices.boxes.size());
    EXPECT_EQ("Λάθος : 2\rΤέλος Χαρτιού !", notices.boxes[0].text);
    // Sent twice: the late answer to the first send ended the exchange, nothing was sent a third
    // time.
    EXPECT_EQ("KXA\rKXA\rKXB\rKXC\r", fake.wire(16));
}

// Counts what the link says the register answered, as the job record does.
class CountingJournal final : public CommandJournal {
  public:
    bool answeredBefore() override { return false; }
    bool answered() override {
        ++answers;
        return answers != failAt;
    }
    int answers = 0;
    int failAt = -1;  // the answer that cannot be recorded
};

TEST_F(LinkTest, LineThatDiesRightAfterALateAnswerLeavesTheNextCommandInDoubt) {
    FakeRegister fake([](int index) { return index < 2 ? Answers{"\x04"} : Answers{}; }, -1,
                      [](int index) { return index == 0 ? 300ms : 40ms; });
    open(fake);
    CountingJournal journal;
    link.attachJournal(&journal);
    send("KXA");
    EXPECT_EQ(ExchangeStatus::kAnswered, last.status);
    send("KXB");
    EXPECT_EQ(ExchangeStatus::kNoAnswer, last.status);
    send("KXC");
    EXPECT_EQ(ExchangeStatus::kNotSent, last.status);
    EXPECT_TRUE(link.sendingStopped());
    link.attachJournal(nullptr);
    // Only the first command is recorded as answered: the second, which the dead line never
    // answered, is the one in doubt and goes out again when the receipt is finished.
    EXPECT_EQ(1, journal.answers);
    EXPECT_EQ("KXA\rKXA\r" + std::string("KXB\r") + "KXB\rKXB\rKXB\r", fake.wire(24));
}

TEST_F(LinkTest, AnswerThatCannotBeRecordedStopsTheReceiptBeforeTheNextCommand) {
    FakeRegister fake([](int) { return Answers{"\x04"}; });
    open(fake);
    CountingJournal journal;
    journal.failAt = 2;
    link.attachJournal(&journal);
    send("KXA");
    send("KXB");
    EXPECT_TRUE(link.sendingStopped());
    send("KXC");
    EXPECT_EQ(ExchangeStatus::kNotSent, last.status);
    link.attachJournal(nullptr);
    EXPECT_EQ(2, journal.answers);
    EXPECT_EQ("KXA\rKXB\r", fake.wire(8));
}

}  // namespace
}  // namespace varkon
