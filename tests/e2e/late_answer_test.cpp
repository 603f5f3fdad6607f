// Answers that come late or unasked are spent on the command they belong to, never on a later
// one: a register busy past the reply window (the command is sent again, and both sends are
// answered), varkond killed while an answer is on its way, a line that dies right after a late
// answer. Otherwise every answer from there on would be one command off: a refusal told for the
// wrong line, a sale recorded as taken that the register never heard.
#include <charconv>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

// The coffee sale keeps the register busy past varkond's reply window (300 ms in the tests, and
// the read under way when it ends); every answer comes 40 ms after the register has taken its
// command.
const std::string kLateCoffee = "^KX150R1COFFEE=700";
const std::string kTakesItsTime = "40";
const std::string kPieRefused = "^KX220R2PIE=2";

// A command as varkond's log shows it.
std::string Logged(const std::string& command) {
    std::string text;
    for (char c : command) text += c == '\r' ? std::string("\\r") : std::string(1, c);
    return text;
}

class LateAnswers : public FaultMatrix {
  protected:
    // For every refusal told from byte `from` of varkond's log on, the command that had gone out
    // last when it was told.
    std::vector<std::string> refusalsTold(std::size_t from = 0) const {
        std::vector<std::string> told;
        std::istringstream log(dir.read("varkond.log").substr(from));
        std::string lastSent;
        for (std::string line; std::getline(log, line);) {
            if (line.size() <= 24) continue;
            const std::string entry = line.substr(24);  // after "2025-01-31 12:00:00.000 "
            if (entry.starts_with("sent: ")) lastSent = entry.substr(6);
            if (entry == "message: " + kPaperOutBox) told.push_back(lastSent);
        }
        return told;
    }

    // How many commands of the receipt varkon.job says the register answered; -1 for none.
    long answeredInRecord() const {
        const std::string record = dir.read("varkon.job");
        const std::size_t at = record.rfind("\nans ");
        if (at == std::string::npos) return -1;
        const std::size_t count = record.find(' ', at + 5) + 1;
        long answered = -1;
        std::from_chars(record.data() + count, record.data() + record.size(), answered);
        return answered;
    }
};

TEST_F(LateAnswers, RefusalAfterALateAnswerIsToldForTheRefusedLine) {
    startWaiting({"--late", kLateCoffee, "--latency", kTakesItsTime, "--fail", kPieRefused});
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_GE(sent(kCoffee), 2);  // its reply window passed
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
    EXPECT_EQ(std::vector<std::string>{Logged(kPie)}, refusalsTold());
}

TEST_F(LateAnswers, AnswerOnItsWayWhenVarkondWasKilledIsNotTakenAfterTheRestart) {
    // The register answers the coffee when it is done, or as soon as the restarted varkond opens
    // the line if that is later: either way before that varkond's first command, which waits for
    // the register search's first tick.
    startWaiting(
        {"--late", "^KX150R1COFFEE=800", "--latency", kTakesItsTime, "--fail", kPieRefused});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return sent(kCoffee) > 0; }));
    service->signal(SIGKILL);
    ASSERT_EQ(128 + SIGKILL, service->waitExit());
    const std::size_t restart = dir.read("varkond.log").size();

    startService();
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_GE(sent(kCoffee), 2);  // the one in doubt at the kill goes out again
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
    EXPECT_EQ(std::vector<std::string>{Logged(kPie)}, refusalsTold(restart));
}

TEST_F(LateAnswers, LineThatDiesRightAfterALateAnswerLeavesOnlyTheNextLineInDoubt) {
    // The register takes the probe, the quantity and both sends of the coffee, answers them and
    // goes dead: the pie is lost on the line until it comes back, long after its last try, so
    // that the record is read before the line is back even on a busy machine.
    startWaiting({"--late", kLateCoffee, "--latency", kTakesItsTime, "--dead-after", "4",
                  "--dead-for", "6000"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually(
        [&] { return logHas(" δεν ολοκληρώθηκε: η ταμειακή δεν απάντησε στη γραμμή "); }));
    EXPECT_TRUE(logHas(" δεν ολοκληρώθηκε: η ταμειακή δεν απάντησε στη γραμμή 2. "));
    EXPECT_EQ(2, answeredInRecord());  // the quantity and the coffee; the pie is in doubt

    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_EQ(1, sent(kPie));  // heard once, after the line came back
    EXPECT_EQ(1, sent(kPayment));
}

}  // namespace
}  // namespace varkon::e2e
