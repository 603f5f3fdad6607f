// varkond against a careless host application and a register that refuses to settle: a receipt
// written in two steps, a file that grows while it is sent, links planted in place of the side
// files, a print file whose name reads as an option, a settlement the register refuses although
// the exchange shows no message. Nothing is ever sold twice, nothing is written outside the
// folder, and a receipt the register may hold open is never reported as printed.
#include <csignal>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

const std::string kSales =
    " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n"
    " PLU 5209876543210 PIE                           1.000       2.20   13.00\r\n";
const std::string kPaymentLine = " to    1      10.00\r\n";
const std::string kGrown = "άλλαξε ενώ ή αφού στάλθηκε στην ταμειακή";

class HostileHost : public FaultMatrix {
  protected:
    // Writes in place, as a batch file's `echo … > print.1` does: the file is closed when done.
    void writeInPlace(const std::string& name, const std::string& bytes, bool append) {
        std::ofstream out(dir / name,
                          std::ios::binary | (append ? std::ios::app : std::ios::trunc));
        out << bytes;
    }
};

TEST_F(HostileHost, ReceiptWrittenInTwoStepsIsPrintedOnceWhole) {
    startWaiting();
    writeInPlace("print.1", kSales, false);
    std::this_thread::sleep_for(150ms);
    writeInPlace("print.1", kPaymentLine, true);
    ASSERT_TRUE(printed("print.1"));
    std::this_thread::sleep_for(1500ms);  // a second printing would have begun by now
    EXPECT_EQ(kProbe + kReceiptWire, wire());
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
}

TEST_F(HostileHost, FileThatGrowsWhileItIsSentIsNeverSentAgainFromItsFirstLine) {
    // Each answer takes a while: the payment is appended while the sales are on the line.
    startWaiting({"--latency", "300"});
    drop("print.1", kSales);
    ASSERT_TRUE(Eventually([&] { return sent(kQuantity) == 1; }));
    writeInPlace("print.1", kPaymentLine, true);
    ASSERT_TRUE(Eventually([&] { return logHas(kGrown); }));
    std::this_thread::sleep_for(2000ms);  // several looks at the folder
    // What was measured went out, once; what was added did not; the file waits for the operator.
    EXPECT_EQ(kProbe + kQuantity + kCoffee + kPie, wire());
    EXPECT_TRUE(exists("print.1"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));

    // Once the operator has taken it away, the next receipt under the same name is printed.
    fs::remove(dir / "print.1");
    std::this_thread::sleep_for(1500ms);
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(kProbe + kQuantity + kCoffee + kPie + kReceiptWire, wire());
}

TEST_F(HostileHost, RefusedSettlementIsAFailedJob) {
    const std::string receipt = kSales + " pay  1\r\n";
    startRegister({"--fail", "^KXT1$=3"});
    startService();
    ASSERT_TRUE(Eventually([&] { return logHas("status: " + kWaiting); }));
    drop("print.1", receipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(kProbe + kQuantity + kCoffee + kPie + "KXT1\rKXCL\r", wire());
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_TRUE(
        logHas("δεν κλείστηκε: η ταμειακή αρνήθηκε την εξόφληση ή το κλείσιμό της στη "
               "γραμμή 3."));
    service->signal(SIGTERM);
    service->waitExit();

    // The one-shot run the host starts for one receipt ends with status 1.
    dir.write("job.prn", receipt);
    startService({"com1,9600,job.prn,0,mikro,1110000"});
    EXPECT_EQ(1, service->waitExit());
}

TEST_F(HostileHost, LinksPlantedInPlaceOfTheSideFilesAreReplacedNotFollowed) {
    const fs::path outside = dir / "outside";
    fs::create_directory(outside);
    dir.write("outside/precious.txt", "keep\r\n");
    fs::create_symlink(outside / "precious.txt", dir / "receipt.txt");
    fs::create_symlink(outside / "made.txt", dir / "journal.txt");
    startWaiting();
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("keep\r\n", dir.read("outside/precious.txt"));
    EXPECT_FALSE(fs::exists(outside / "made.txt"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "receipt.txt")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "journal.txt")));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
}

TEST_F(HostileHost, PrintFileNamedLikeAnOptionReachesTheConverterAsAFile) {
    // The converter keeps its last argument and says it is done. (Its name is short: the
    // settings keep 12 characters of the command.)
    dir.write("conv",
              "#!/bin/sh\nfor a; do last=$a; done\nprintf '%s' \"$last\" > argument.txt\n"
              "echo done > end.txt\n");
    fs::permissions(dir / "conv", fs::perms::owner_all);
    std::string settings = dir.read("param.ini");
    settings.replace(settings.find("[file] print"), 12, "[file] *.prn");
    dir.write("param.ini", settings + "[convert2]=./conv\r\n");
    startWaiting();
    drop("-n.prn", kReceipt);
    ASSERT_TRUE(printed("-n.prn")) << dir.read("varkond.log");
    EXPECT_EQ("./-n.prn", dir.read("argument.txt"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());
}

}  // namespace
}  // namespace varkon::e2e
