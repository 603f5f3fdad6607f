// varkon-sim: the register model in-process, then the real program over a real pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "sim/line_pace.h"
#include "sim/paper_roll.h"
#include "sim/register_replies.h"
#include "sim/sim_options.h"
#include "support/temp_dir.h"

extern char** environ;

namespace varkon::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = 10s;  // only a failing test waits this long

TEST(SimOptionsParser, ReadsOptionsAndRejectsBadOnes) {
    auto parsed =
        ParseSimOptions({"--link", "/tmp/r", "--silent=2", "--fail", "^KXT(1)=x=05", "--fail",
                         "KXCL=2", "--split", "50", "--baud", "9600", "--noise"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.linkPath, "/tmp/r");
    EXPECT_EQ(parsed.options.silent, 2);
    ASSERT_EQ(parsed.options.failRules.size(), 2u);
    EXPECT_EQ(parsed.options.failRules[0].pattern, "^KXT(1)=x");
    EXPECT_EQ(parsed.options.failRules[0].code, "05");
    EXPECT_EQ(parsed.options.splitMs, 50);
    EXPECT_EQ(parsed.options.baud, 9600);
    EXPECT_TRUE(parsed.options.noise);
    // --dead-after 0 is a line dead from the start, not "never".
    parsed = ParseSimOptions({"--dead-for", "250", "--dead-after=0"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.deadAfter, 0);
    EXPECT_EQ(parsed.options.deadForMs, 250);
    parsed = ParseSimOptions({"--late", "^KX(1)=x=1500", "--late=KXT=0"});
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.options.lateRules.size(), 2u);
    EXPECT_EQ(parsed.options.lateRules[0].pattern, "^KX(1)=x");
    EXPECT_EQ(parsed.options.lateRules[0].delayMs, 1500);
    EXPECT_EQ(parsed.options.lateRules[1].delayMs, 0);

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--silent"},
                                                {"--latency", "-1"},
                                                {"--baud", "0"},
                                                {"--fail", "KX("},
                                                {"--fail", "no-code"},
                                                {"--late", "KXT"},
                                                {"--late", "KXT=soon"},
                                                {"--late", "KX(=100"},
                                                {"--late", "KXT=-5"},
                                                {"--offline=1"},
                                                {"--dead-for", "250"},
                                                {"--dead-after", "1", "--dead-for", "0"},
                                                {"--bogus"}}) {
        EXPECT_NE(ParseSimOptions(bad).error, "") << bad[0];
    }
}

TEST(CommandFramer, CutsAtCarriageReturnsAndDropsWhatIsNoCommand) {
    CommandFramer framer;
    std::vector<FramedCommand> out;
    framer.feed("KX2* \r\n\nKX15", out);
    framer.feed("0R1\r\r\n\r" + std::string(CommandFramer::kMaxCommand, 'A'), out);
    framer.feed("AA\rKXCO A\nB\r", out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].text, "KX2* ");
    EXPECT_EQ(out[1].text, "KX150R1");
    EXPECT_EQ(out[2].discarded, CommandFramer::kMaxCommand + 2);
    EXPECT_EQ(out[3].text, "KXCO A\nB");
}

TEST(ReplyPlanner, NoiseNeverEndsOrFakesAnAnswer) {
    SimOptions options;
    options.noise = true;
    options.failRules.push_back({"T", std::regex("T"), "05"});
    ReplyPlanner planner(options);
    for (int i = 0; i < 300; ++i) {
        const Reply reply = planner.replyTo(i % 2 ? "KXCL" : "KXT1");
        ASSERT_EQ(reply.pieces.size(), 1u);
        const std::string& bytes = reply.pieces[0].bytes;
        const std::string answer = i % 2 ? "\x04" : "DE05\r\x04";
        ASSERT_GT(bytes.size(), answer.size());
        EXPECT_TRUE(bytes.ends_with(answer));
        const std::string garbage = bytes.substr(0, bytes.size() - answer.size());
        EXPECT_EQ(garbage.find_first_of("\x04"
                                        "DE"),
                  std::string::npos);
    }
}

TEST(LinePace, BytesTakeTenBitTimesEachAndQueueBehindTheBusyLine) {
    const LinePace::Clock::time_point t0{};
    const auto byte = std::chrono::nanoseconds(1'041'666);  // 10 bits at 9600 baud
    LinePace line(9600);
    EXPECT_TRUE(line.paced());
    EXPECT_EQ(line.pass(t0, 5), t0 + 5 * byte);
    // Handed over while those five are still on the line: they go after them.
    EXPECT_EQ(line.pass(t0 + byte, 1), t0 + 6 * byte);
    // Handed over to an idle line: they start at once.
    EXPECT_EQ(line.pass(t0 + 1s, 2), t0 + 1s + 2 * byte);

    LinePace instant(0);
    EXPECT_FALSE(instant.paced());
    EXPECT_EQ(instant.pass(t0 + 5ms, 100), t0 + 5ms);
    EXPECT_EQ(instant.pass(t0, 1), t0 + 5ms);  // never ahead of what went before
}

TEST(PaperRoll, PrintsAReceiptInGreek) {
    PaperRoll roll;
    std::string paper;
    // ΓΑΛΑ ΦΡΕΣΚΟ and Σοφία in the register's codes; A, E, K, O, P, I are Latin look-alikes.
    for (const char* command :
         {"KX2* ",
          "KX150R2\x85"
          "A\x88"
          "A \x8B"
          "PE"
          "fKO   ",
          "KX- ", "KX1000% ", "KX12. ", "KX500* ", "KX100R1", "KXST", "KXST", "KX- ", "KX050GE",
          "KXCO \x66\xE9\xF3\xDF\xD6", "KX1000T1", "KXCL", "KXT1"}) {
        paper += roll.accepted(command);
    }
    EXPECT_EQ(paper,
              "ΑΠΟΔΕΙΞΗ\n"
              "  2 x 1,50\n"
              "ΓAΛA ΦPEΣKO                 Φ2      3,00\n"
              "ΕΚΠΤΩΣΗ -10,00%                    -0,30\n"
              "  12,500 x 1,00\n"
              "ΕΙΔΟΣ                       Φ1     12,50\n"
              "ΜΕΡ. ΣΥΝΟΛΟ                        15,20\n"
              "ΕΚΠΤΩΣΗ                            -0,50\n"
              "Σοφ\\xDFα\n"
              "ΣΥΝΟΛΟ                             14,70\n"
              "ΠΛΗΡΩΜΗ 1                          10,00\n"
              "ΠΛΗΡΩΜΗ 1                           4,70\n"
              "========================================\n");
}

TEST(PaperRoll, PrintsKeyboardModeReportsAndUnknownCommands) {
    PaperRoll roll;
    std::string paper;
    for (const char* command : {"KXAPL", "KX250AC\x8A\x86", "KX42AC", "KX10PLK\x8D\x86:520",
                                "KX0T1", "KX521T1", "KYPROG", "KXCO", "HELLO\x01\\", "KX794ST"}) {
        paper += roll.accepted(command);
    }
    const std::string stars(PaperRoll::kWidth, '*');
    EXPECT_EQ(paper,
              "ΑΠΟΔΕΙΞΗ\n"
              "ΠΔ                          ΦA      2,50\n"
              "  ΚΩΔ. 42\n"
              "  KΩΔ:520\n" +
                  stars + "\nΙΣΟΖΥΓΙΟ X ΟΙΚΟΝΟΜΙΚΟ\n" + stars + "\n" + stars +
                  "\nΙΣΟΖΥΓΙΟ Z ΠΕΡΙΟΔΟΥ\n" + stars +
                  "\n"
                  "ΠΡΟΓΡ. KYPROG\n"
                  "\n"
                  "?? HELLO\\x01\\x5C\n"
                  "[ΤΕΛΟΣ ΣΥΝΔΕΣΗΣ]\n");
    EXPECT_EQ(roll.refused("KXT1", "05"), "[DE05] KXT1\n");
}

// The real program, started without a shell; its standard output is read line by line.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), VARKON_SIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdout_ = out[0];
        device = readLine();
    }
    ~SimProcess() {
        if (pid_ > 0) stop(SIGKILL);
        ::close(stdout_);
    }
    std::string readLine() {
        const auto deadline = Clock::now() + kPatience;
        for (;;) {
            if (const auto nl = lines_.find('\n'); nl != std::string::npos) {
                std::string line = lines_.substr(0, nl);
                lines_.erase(0, nl + 1);
                return line;
            }
            pollfd p{stdout_, POLLIN, 0};
            if (Clock::now() > deadline || ::poll(&p, 1, 100) < 0) return {};
            char buf[256];
            const ssize_t n =
                (p.revents & (POLLIN | POLLHUP)) ? ::read(stdout_, buf, sizeof buf) : 0;
            if (n < 0 || (n == 0 && (p.revents & POLLHUP))) return {};
            lines_.append(buf, static_cast<std::size_t>(n));
        }
    }
    // The exit status, or -1 when it did not exit normally.
    int stop(int signal) {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string device;

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string lines_;
};

// A client end opened as the link program opens its port: no controlling tty, locked, raw.
class Client {
  public:
    explicit Client(const std::string& path, bool reserve = true) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_GE(fd, 0) << path;
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        if (reserve) {
            EXPECT_EQ(::ioctl(fd, TIOCEXCL), 0);
        }
        termios t{};
        EXPECT_EQ(::tcgetattr(fd, &t), 0);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B9600);
        EXPECT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    }
    ~Client() { ::close(fd); }
    void send(std::string_view bytes) {
        while (!bytes.empty()) {
            pollfd p{fd, POLLOUT, 0};
            ASSERT_EQ(::poll(&p, 1, 10'000), 1);
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    // Everything received until `end` has arrived, the line hangs up or `patience` runs out.
    std::string readUntil(std::string_view end, Clock::duration patience = kPatience) {
        std::string got;
        const auto deadline = Clock::now() + patience;
        for (auto now = Clock::now(); !got.ends_with(end) && now < deadline; now = Clock::now()) {
            pollfd p{fd, POLLIN, 0};
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
            if (::poll(&p, 1, static_cast<int>(left.count())) != 1 || !(p.revents & POLLIN)) {
                break;
            }
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    std::string ask(std::string_view command, std::string_view end = "\x04") {
        send(command);
        return readUntil(end);
    }
    int fd = -1;
};

// Waits, bounded, until the simulator has written at least `size` bytes to `file`.
void WaitForFile(const std::filesystem::path& file, std::uintmax_t size) {
    const auto deadline = Clock::now() + kPatience;
    for (std::error_code ec; Clock::now() < deadline; std::this_thread::sleep_for(10ms)) {
        const auto written = std::filesystem::file_size(file, ec);
        if (!ec && written >= size) return;
    }
}

// Waits, bounded, until the simulator has written `text` to the file `name`.
void WaitForText(const test::TempDir& dir, std::string_view name, std::string_view text) {
    const auto deadline = Clock::now() + kPatience;
    while (dir.read(name).find(text) == std::string::npos && Clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
}

TEST(VarkonSim, AnswersEveryCommandButShutdownAndRecordsTheWire) {
    test::TempDir dir;
    SimProcess sim({"--transcript", (dir / "wire").string(), "--paper", (dir / "paper").string()});
    ASSERT_TRUE(sim.device.starts_with("/dev/")) << sim.device;
    Client client(sim.device);
    const std::string wire = "\n\nKX150R1\x85\x86\x66\r\r\n\rKX794ST\rKXT1\r";
    client.send(wire);
    // Three commands are answered (not the empty ones, not KX794ST): two EOTs and no more.
    EXPECT_EQ(client.readUntil("\x04\x04"), "\x04\x04");
    EXPECT_EQ(client.ask("KXCL\r"), "\x04");
    EXPECT_EQ(dir.read("wire"), wire + "KXCL\r");
    const std::string paper = dir.read("paper");
    EXPECT_NE(paper.find("ΓΔΣ                         Φ1      1,50\n"), std::string::npos) << paper;
    EXPECT_NE(paper.find("[ΤΕΛΟΣ ΣΥΝΔΕΣΗΣ]"), std::string::npos) << paper;
}

TEST(VarkonSim, MisbehavesOnRequest) {
    {
        SimProcess sim(
            {"--silent", "2", "--fail", "^C$=1", "--fail", "^D=07 xyz", "--split", "400"});
        Client client(sim.device);
        client.send("A\rB\rC\r");
        // The split answer: "DE" first, the rest after the pause.
        EXPECT_EQ(client.readUntil("DE"), "DE");
        EXPECT_EQ(client.readUntil("\x04"), "1\r\x04");
        EXPECT_EQ(client.ask("D\r"), "DE07 xyz\r\x04");
    }
    {
        SimProcess sim({"--noise", "--baud", "19200", "--latency", "5", "--fail", "KXT=05"});
        Client client(sim.device);
        EXPECT_TRUE(client.ask("KXCL\r").ends_with("\x04"));
        const std::string refused = client.ask("KXT1\r");
        EXPECT_TRUE(refused.ends_with("DE05\r\x04")) << PaperRoll::Escaped(refused);
    }
    {
        test::TempDir dir;
        SimProcess sim({"--offline", "--transcript", (dir / "wire").string()});
        Client client(sim.device);
        client.send("KXCL\r");
        WaitForFile(dir / "wire", 5);
        EXPECT_EQ(client.readUntil("\x04", 300ms), "");
        EXPECT_EQ(dir.read("wire"), "KXCL\r");
    }
}

// A pseudo-terminal delivers at once, so at a set speed the answer must wait until the command's
// last byte would have arrived and then take its own byte time. Only a lower bound is checked: a
// busy machine can make the answer later, never earlier.
TEST(VarkonSim, AnswersNoEarlierThanTheLineSpeedAllows) {
    SimProcess sim({"--baud", "1200", "--latency", "20"});
    Client client(sim.device);
    const std::string command = std::string(29, 'K') + "\r";  // 30 bytes: 250 ms at 1200 baud
    const auto sent = Clock::now();
    EXPECT_EQ(client.ask(command), "\x04");
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    EXPECT_GE(took.count(), 250 + 20 + 8) << "30 bytes in, latency 20 ms, one byte out";
}

TEST(VarkonSim, LetsAClientReopenTheLineItHadReserved) {
    SimProcess sim({});
    {
        Client first(sim.device);
        int reserved = 0;
        ASSERT_EQ(::ioctl(first.fd, TIOCGEXCL, &reserved), 0);
        EXPECT_EQ(reserved, 1);
        EXPECT_EQ(first.ask("KXCL\r"), "\x04");
    }
    Client second(sim.device, /*reserve=*/false);
    EXPECT_EQ(second.ask("KXCL\r"), "\x04");
    // By the time the answer came the simulator had seen the first client go and released the
    // line, as closing a real serial port does.
    int reserved = 1;
    ASSERT_EQ(::ioctl(second.fd, TIOCGEXCL, &reserved), 0);
    EXPECT_EQ(reserved, 0);
}

TEST(VarkonSim, EndsCleanlyOnSigtermAndSigintRemovingItsLink) {
    test::TempDir dir;
    const std::string link = (dir / "ecr").string();
    for (const int signal : {SIGTERM, SIGINT}) {
        SimProcess sim({"--link", link});
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.device);
        Client client(link);
        EXPECT_EQ(client.ask("KXCL\r"), "\x04");
        EXPECT_EQ(sim.stop(signal), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(link));
    }
}

TEST(VarkonSim, HangsUpAfterNCommandsAndComesBackUnderItsLink) {
    test::TempDir dir;
    const std::string link = (dir / "ecr").string();
    SimProcess sim({"--link", link, "--hangup-after", "2"});
    {
        Client client(link);
        EXPECT_EQ(client.ask("KXCL\r"), "\x04");
        EXPECT_EQ(client.ask("KXCL\r"), "\x04");
        pollfd p{client.fd, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 10'000), 1);
        EXPECT_TRUE(p.revents & POLLHUP);
    }
    const std::string plugged = sim.readLine();
    EXPECT_TRUE(plugged.starts_with("/dev/")) << plugged;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), plugged);
    Client again(link);
    EXPECT_EQ(again.ask("KXCL\r"), "\x04");
}

// A sale of 1,50 and one of 2,00 before the break, one of 3,00 and the payment after it.
const std::string kFirstHalf = "KX150R1\rKX200R2\r";
const std::string kSecondHalf = "KX300R1\rKXT1\r";
const std::string kSalesBefore =
    "ΑΠΟΔΕΙΞΗ\n"
    "ΕΙΔΟΣ                       Φ1      1,50\n"
    "ΕΙΔΟΣ                       Φ2      2,00\n";
const std::string kSettledAfter =
    "ΕΙΔΟΣ                       Φ1      3,00\n"
    "ΣΥΝΟΛΟ                              6,50\n"
    "ΠΛΗΡΩΜΗ 1                           6,50\n"
    "========================================\n";

TEST(VarkonSim, KeepsTheOpenReceiptWhenTheClientClosesAndReopens) {
    test::TempDir dir;
    SimProcess sim({"--paper", (dir / "paper").string()});
    {
        Client first(sim.device);
        first.send(kFirstHalf);
        EXPECT_EQ(first.readUntil("\x04\x04"), "\x04\x04");
    }
    Client second(sim.device);
    second.send(kSecondHalf);
    EXPECT_EQ(second.readUntil("\x04\x04"), "\x04\x04");
    EXPECT_EQ(dir.read("paper"), kSalesBefore + kSettledAfter);
}

// The line drops in the middle of a receipt. What is sent into it is lost: no answer, nothing on
// the paper roll, nothing in the transcript. After the outage the register still has the receipt
// open, and a client that opens the port again finishes it.
TEST(VarkonSim, GoesDeadAfterNCommandsAndComesBackWithTheReceiptOpen) {
    test::TempDir dir;
    SimProcess sim({"--dead-after", "3", "--dead-for", "300", "--transcript",
                    (dir / "wire").string(), "--paper", (dir / "paper").string()});
    const std::string lost = "KX999R1\r";
    const auto sent = Clock::now();
    {
        Client client(sim.device);
        // One write: the fourth command is there before the third's answer can have gone out.
        client.send(kFirstHalf + "KXST\r" + lost);
        EXPECT_EQ(client.readUntil("\x04\x04\x04"), "\x04\x04\x04");
        EXPECT_EQ(client.readUntil("\x04", 200ms), "");
    }
    const std::string back = "[Η ΓΡΑΜΜΗ ΕΠΕΣΤΡΕΨΕ· 8 bytes χάθηκαν]\n";
    WaitForText(dir, "paper", back);
    EXPECT_GE(Clock::now() - sent, 300ms);
    Client again(sim.device);
    again.send(kSecondHalf);
    EXPECT_EQ(again.readUntil("\x04\x04"), "\x04\x04");
    EXPECT_EQ(dir.read("wire"), kFirstHalf + "KXST\r" + kSecondHalf);
    EXPECT_EQ(dir.read("paper"), kSalesBefore +
                                     "ΜΕΡ. ΣΥΝΟΛΟ                         3,50\n"
                                     "[ΝΕΚΡΗ ΓΡΑΜΜΗ]\n" +
                                     back + kSettledAfter);
}

// Refusals and KX794ST count towards --dead-after, commands ignored under --silent do not.
// Without --dead-for the line stays dead.
TEST(VarkonSim, CountsWhatTheRegisterTookTowardsTheOutage) {
    test::TempDir dir;
    SimProcess sim({"--dead-after", "2", "--silent", "1", "--fail", "^KXT=05", "--transcript",
                    (dir / "wire").string(), "--paper", (dir / "paper").string()});
    Client client(sim.device);
    client.send("KXCL\rKXT1\r");
    EXPECT_EQ(client.readUntil("\x04"), "DE05\r\x04");
    client.send("KX794ST\rKXCL\r");
    WaitForText(dir, "paper", "[ΝΕΚΡΗ ΓΡΑΜΜΗ]");
    EXPECT_EQ(client.readUntil("\x04", 300ms), "");
    EXPECT_EQ(dir.read("paper"), "[DE05] KXT1\n[ΤΕΛΟΣ ΣΥΝΔΕΣΗΣ]\n[ΝΕΚΡΗ ΓΡΑΜΜΗ]\n");
    EXPECT_EQ(dir.read("wire"), "KXCL\rKXT1\rKX794ST\r");
}

// A late command keeps the register busy: the client sends it again meanwhile, and the answers to
// both sends and to the next command come after it, each a --latency after the one before. Only
// lower bounds of time are checked.
TEST(VarkonSim, AnswersALateCommandLateAndWhatCameMeanwhileInTurn) {
    SimProcess sim({"--late", "^KXA$=300", "--latency", "50", "--fail", "^KXB$=2"});
    Client client(sim.device);
    const auto sent = Clock::now();
    client.send("KXA\r");
    EXPECT_EQ(client.readUntil("\x04", 100ms), "");
    client.send("KXA\rKXB\r");
    EXPECT_EQ(client.readUntil("DE2\r\x04"),
              "\x04\x04"
              "DE2\r\x04");
    EXPECT_GE(Clock::now() - sent, 300ms + 50ms + 50ms);
    // Idle again: the next command is answered in its own time.
    EXPECT_EQ(client.ask("KXB\r"), "DE2\r\x04");
}

// A register still busy with a late command answers when it is done, to whichever program has
// the line open by then: here one started after the first was killed.
TEST(VarkonSim, LateAnswerGoesToTheClientThatOpensTheLineNext) {
    test::TempDir dir;
    SimProcess sim({"--late", "^KXA$=300", "--transcript", (dir / "wire").string()});
    {
        Client first(sim.device);
        first.send("KXA\r");
        WaitForFile(dir / "wire", 4);  // heard: the line's reservation is off
    }
    Client second(sim.device, /*reserve=*/false);
    EXPECT_EQ(second.readUntil("\x04"), "\x04");
    EXPECT_EQ(second.ask("KXCL\r"), "\x04");
}

TEST(VarkonSim, RefusesABadCommandLine) {
    SimProcess sim({"--baud", "fast"});
    EXPECT_EQ(sim.device, "");
    EXPECT_EQ(sim.stop(0), 2);
}

}  // namespace
}  // namespace varkon::sim
