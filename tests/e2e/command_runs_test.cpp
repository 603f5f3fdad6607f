// varkond's one-off commands (a report, a program file) against the register, beside a varkond
// that prints receipts in the same folder.
#include <gtest/gtest.h>

#include "e2e/fault_matrix.h"

namespace varkon::e2e {
namespace {

const std::string kZReport = "KX021T1\r";

class CommandRuns : public FaultMatrix {
  protected:
    // `varkond ARGUMENTS…` in the folder, its log in command.log; its exit status.
    std::optional<int> command(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{VARKOND_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Child run(argv, dir.path(),
                  {"VARKON_COM1=" + (dir / "register").string(), "VARKON_TEST_TIMINGS=fast"},
                  dir / "command.log");
        return run.waitExit();
    }
    bool commandLogHas(const std::string& text) const {
        return dir.read("command.log").find(text) != std::string::npos;
    }
};

TEST_F(CommandRuns, ReportWaitsForTheReceiptOnTheLineAndNeverCutsIntoIt) {
    startWaiting({"--latency", "150"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return sent(kQuantity) == 1; }));

    EXPECT_EQ(0, command({"--report", "z"})) << dir.read("command.log");
    // The report went out after the payment, never between the sales.
    EXPECT_EQ(kProbe + kReceiptWire + kZReport, wire());
    EXPECT_TRUE(commandLogHas("Αναμονή μέχρι να ελευθερωθεί: com1"));
    EXPECT_TRUE(commandLogHas("status: Το Ισοζύγιο ολοκληρώθηκε"));
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
}

TEST_F(CommandRuns, SlowZReportIsSentOnceAndItsAnswerAwaited) {
    // The register prints the report for longer than four reply windows of a command, and
    // answers when it is done.
    startRegister({"--late", "^KX021T1$=1500"});
    EXPECT_EQ(0, command({"--report", "z"})) << dir.read("command.log");
    EXPECT_EQ(kZReport, wire());
    EXPECT_TRUE(commandLogHas("status: Το Ισοζύγιο ολοκληρώθηκε"));
    EXPECT_FALSE(commandLogHas("δεν Απαντά"));
}

TEST_F(CommandRuns, NothingIsSentWhileTheRegisterMayHoldAnUnfinishedReceipt) {
    // The line dies for a while after the coffee: the receipt stays unfinished, and so it is
    // when its varkond is stopped before the register comes back. The line stays dead long
    // after the pie's last try, so that a busy machine cannot let the retry through first.
    startWaiting({"--dead-after", "3", "--dead-for", "8000"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return dir.read("receipt.txt") == "-1\r\n"; }));
    service->stop();
    ASSERT_EQ(0, service->status());

    EXPECT_EQ(1, command({"--report", "z"}));
    EXPECT_TRUE(commandLogHas("Μια απόδειξη δεν έχει ολοκληρωθεί"));
    EXPECT_EQ(0, sent(kZReport));
    EXPECT_TRUE(exists("print.1"));
}

TEST_F(CommandRuns, ProgramFileReachesTheRegisterAndIsKept) {
    startRegister();
    dir.write("shop.prg", " PRG KY1\r\n PRG KY2\r\n");
    EXPECT_EQ(0, command({"--program", "shop.prg"}));
    EXPECT_EQ(kProbe + "KY1\rKY2\r", wire());
    EXPECT_EQ(" PRG KY1\r\n PRG KY2\r\n", dir.read("shop.prg"));

    // A register that does not answer is not programmed, and the status says why.
    sim.reset();
    startRegister({"--silent", "100"});
    EXPECT_EQ(3, command({"--program", "shop.prg"}));
    EXPECT_TRUE(commandLogHas("Η ταμειακη δεν ειναι σε συνδεση"));
}

TEST_F(CommandRuns, OptionsThatAreNotUnderstoodSayWhyAndSendNothing) {
    startRegister();
    EXPECT_EQ(2, command({"--report", "y"}));
    EXPECT_TRUE(commandLogHas("unknown report 'y'"));
    EXPECT_EQ(2, command({"--program"}));
    EXPECT_EQ(2, command({"--frobnicate"}));
    EXPECT_TRUE(commandLogHas("unknown option --frobnicate"));
    EXPECT_EQ("", wire());
}

}  // namespace
}  // namespace varkon::e2e
