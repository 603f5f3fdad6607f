// varkond end to end: jobs, the one-shot run, and the ways it ends.
#include "service_harness.h"

namespace varkon::e2e {
namespace {

TEST_F(ServiceTest, NumberedJobsArePrintedCountedAndDeletedThenSigtermEndsCleanly) {
    startRegister();
    settings();
    startService();
    ASSERT_TRUE(Eventually([&] { return logHas("Αναμονή Για Στοιχεία...."); }));
    dir.write("print.1", "");
    dir.write("print.3", " PRG KY1\r\n PRG KY2\r\n");
    ASSERT_TRUE(Eventually([&] { return !exists("print.3"); }));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
    EXPECT_TRUE(exists("print.1"));

    dir.write("print.2", " PRG KY3\r\n");
    ASSERT_TRUE(Eventually([&] { return !exists("print.2"); }));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));

    service->signal(SIGTERM);
    EXPECT_EQ(0, service->waitExit());
    EXPECT_EQ("KXCL\rKY1\rKY2\rKY3\r", wire());  // no end sequence on SIGTERM
}

TEST_F(ServiceTest, RegisterErrorDuringAJobGivesMinusOne) {
    startRegister({"--fail", "^KY1$=2"});
    settings();
    dir.write("print.1", " PRG KY1\r\n");
    startService();
    ASSERT_TRUE(Eventually([&] { return !exists("print.1"); }));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_TRUE(logHas("receipt: 1"));
    EXPECT_TRUE(logHas("Τέλος Χαρτιού !"));
}

TEST_F(ServiceTest, OneShotRunPrintsDeletesAndEndsWithoutTheEndSequence) {
    startRegister({"--silent", "1"});
    dir.write("job.prn", " PRG KY1\r\n");
    startService({"com1,9600,job.prn,0,mikro,1110000"});
    EXPECT_EQ(0, service->waitExit());
    EXPECT_FALSE(exists("job.prn"));
    EXPECT_EQ("KXCL\rKXCL\rKY1\r", wire());
}

TEST_F(ServiceTest, RejectedArgumentsSayFarewellWithStatusTwoBeforeAnyPortOpens) {
    startRegister();
    startService({"com1,9600,job.prn,0,mikro,111000"});
    EXPECT_EQ(2, service->waitExit());
    EXPECT_TRUE(logHas("Ευχαριστουμε που χρησιμοποιησατε την εφαρμογη Varkon"));
    // The log says which field was wrong.
    EXPECT_TRUE(
        logHas("status: Οι παράμετροι απορρίφθηκαν: το έκτο πεδίο (επιλογές) έχει "
               "λιγότερους από 7 χαρακτήρες : «111000»"));
    EXPECT_FALSE(logHas("port: open"));
    EXPECT_EQ("", wire());
}

}  // namespace
}  // namespace varkon::e2e
