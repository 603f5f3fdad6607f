// Each sale reaches the register exactly once, whatever happens around it: varkond killed or
// stopped mid-receipt, a line that stays dead, a host that rewrites a file in place or keeps it
// open while it pauses, files that are not receipts, a file that cannot be printed or deleted,
// a second varkond in the same folder, a one-shot run that met a refusal.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <linux/fs.h>

#include <fstream>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

// A sale of one piece at the given cents, VAT 24 %, as the host application writes it.
std::string Sale(int n, int cents) {
    std::string line(80, ' ');
    const std::string code = "52000000000" + std::to_string(10 + n);
    const std::string name = "ITEM" + std::to_string(10 + n);
    char price[16];
    std::snprintf(price, sizeof price, "%9.2f", cents / 100.0);
    line.replace(1, 3, "PLU");
    line.replace(5, code.size(), code);
    line.replace(19, name.size(), name);
    line.replace(47, 5, "1.000");
    line.replace(56, 9, price);
    line.replace(68, 5, "24.00");
    return line.substr(0, 73) + "\r\n";
}

std::string SaleCommand(int n, int cents) {
    const std::string name = "ITEM" + std::to_string(10 + n);
    return "KX" + std::to_string(cents) + "R1" + name + std::string(24 - name.size(), ' ') + "\r";
}

TEST_F(SlowFaultMatrix, KilledAtFiveMomentsOfAThirtyLineReceiptEachLineGoesOutOnce) {
    startWaiting({"--latency", "40"});
    std::string receipt;
    int total = 0;
    for (int n = 1; n <= 29; ++n) {
        receipt += Sale(n, 100 + n);
        total += 100 + n;
    }
    receipt +=
        " to    1     " + std::to_string(total / 100) + "." + std::to_string(total % 100) + "\r\n";
    const std::string payment = "KX" + std::to_string(total) + "T1\r";
    drop("print.1", receipt);

    for (int seen : {3, 9, 15, 21, 27}) {
        ASSERT_TRUE(Eventually([&] { return sent(SaleCommand(seen, 100 + seen)) > 0; }));
        service->signal(SIGKILL);
        ASSERT_EQ(128 + SIGKILL, service->waitExit());
        startService();
    }
    ASSERT_TRUE(printed("print.1"));
    int twice = 0;
    for (int n = 1; n <= 29; ++n) {
        const int times = sent(SaleCommand(n, 100 + n));
        EXPECT_TRUE(times == 1 || times == 2) << "ITEM" << 10 + n << " sent " << times;
        twice += times == 2;
    }
    EXPECT_LE(twice, 5);  // at most the one in doubt at each kill
    EXPECT_EQ(1, sent(payment));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
    EXPECT_TRUE(logged("message").empty());
    EXPECT_EQ("", dir.read("varkon.job"));  // nothing left unfinished
}

TEST_F(FaultMatrix, HangUpSignalMidReceiptStopsAtOnceAndTheNextStartFinishesIt) {
    startWaiting({"--latency", "200"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return sent(kCoffee) > 0; }));
    service->signal(SIGHUP);
    EXPECT_EQ(0, service->waitExit(10s));
    EXPECT_TRUE(exists("print.1"));
    EXPECT_EQ(0, sent(kPayment));

    startService();
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(1, sent(kQuantity));
    EXPECT_LE(sent(kCoffee), 2);  // the one in doubt when the signal came
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
}

TEST_F(FaultMatrix, StopOnADeadLineEndsWithinTenSecondsAndTheNextStartFinishesTheReceipt) {
    // Real time-outs: four tries of five seconds for every command left, if it waited them out.
    startRegister({"--dead-after", "3", "--dead-for", "8000"});
    startService({}, true);
    ASSERT_TRUE(Eventually([&] { return logHas("status: " + kWaiting); }));
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return sent(kPie) > 0 || logHas("sent: KX220R2PIE"); }));
    service->signal(SIGTERM);
    EXPECT_EQ(0, service->waitExit(10s));
    EXPECT_TRUE(exists("print.1"));

    startService();
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(1, sent(kCoffee));
    EXPECT_EQ(1, sent(kPie));
    EXPECT_EQ(1, sent(kPayment));
}

// ---- The host's files --------------------------------------------------------------------------

TEST_F(FaultMatrix, FileRewrittenInPlaceWhileTheLastOnePrintsIsKeptAndPrintedNext) {
    startWaiting({"--latency", "150"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return sent(kCoffee) > 0; }));
    std::ofstream(dir / "print.1", std::ios::binary | std::ios::trunc) << " PRG KY1\r\n";
    ASSERT_TRUE(Eventually([&] { return sent("KY1\r") > 0; }));
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(kProbe + kReceiptWire + "KY1\r", wire());
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
}

TEST_F(FaultMatrix, FileHeldOpenByAWriterThatPausesIsTakenOnlyWhenClosed) {
    startWaiting();
    {
        std::ofstream writer(dir / "print.1", std::ios::binary);
        writer << kReceipt.substr(0, kReceipt.size() / 2) << std::flush;
        std::this_thread::sleep_for(1500ms);  // longer than any settling wait
        EXPECT_EQ(kProbe, wire());
        writer << kReceipt.substr(kReceipt.size() / 2);
    }
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());
}

TEST_F(FaultMatrix, TheProgramsOwnFilesAreNeverPrintFilesWhateverThePattern) {
    // The till's folder is both the work folder and the print-file folder: "*.*", folder blank.
    const fs::path till = dir / "till";
    fs::create_directory(till);
    fs::copy_file(dir / "vats.dat", till / "vats.dat");
    std::ofstream(till / "param.ini", std::ios::binary)
        << "[port] com1\r\n[baud] 9600\r\n[file] *.*\r\n[ecrt] mikro\r\n[multi type] true\r\n"
           "[print_desc] true\r\n[print_code] falseN\r\n[comments] true\r\n[currency]=0\r\n"
           "[quantity]=true\r\n[Defacto_]=no\r\n[location] \r\n";
    std::ofstream(till / "error.lst", std::ios::binary) << "E53 File not found\r\n";
    startRegister();
    startService({}, false, till);
    ASSERT_TRUE(Eventually([&] { return logHas("status: " + kWaiting); }));

    std::ofstream(till / "z.prn", std::ios::binary) << kReceipt;
    ASSERT_TRUE(Eventually([&] { return !fs::exists(till / "z.prn"); }));
    // An empty journal.txt and the rest of the folder hold nothing up either.
    std::ofstream(till / "y.prn", std::ios::binary) << " PRG KY1\r\n";
    ASSERT_TRUE(Eventually([&] { return !fs::exists(till / "y.prn"); }));
    EXPECT_EQ(kProbe + kReceiptWire + "KY1\r", wire());
    for (const char* own : {"param.ini", "vats.dat", "error.lst", "receipt.txt", "journal.txt"}) {
        EXPECT_TRUE(fs::exists(till / own)) << own;
    }
}

TEST_F(FaultMatrix, FilesThatCannotBePrintedNowDoNotHoldUpTheOnesBehindThem) {
    startWaiting();
    // print.1 is still being written (its writer holds a lock); print.2 is ready.
    const int writer = ::open((dir / "print.1").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(0, ::flock(writer, LOCK_EX));
    ASSERT_EQ(static_cast<ssize_t>(kReceipt.size()),
              ::write(writer, kReceipt.data(), kReceipt.size()));
    drop("print.2", " PRG KY1\r\n");
    ASSERT_TRUE(printed("print.2"));
    EXPECT_TRUE(exists("print.1"));
    ::close(writer);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ(kProbe + "KY1\r" + kReceiptWire, wire());
}

// A folder whose files not even root may delete (the immutable attribute), where the system has
// it; the attribute is taken off again however the test ends.
class ImmutableFolder {
  public:
    explicit ImmutableFolder(const fs::path& folder) : folder_(folder) { set(true); }
    ~ImmutableFolder() { set(false); }
    bool held() const { return held_; }
    void release() { set(false); }

  private:
    void set(bool on) {
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            held_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 && on;
        }
        ::close(fd);
    }
    fs::path folder_;
    bool held_ = false;
};

TEST_F(SlowFaultMatrix, PrintedFileThatCannotBeDeletedIsNeverPrintedAgain) {
    const fs::path shop = dir / "shop";
    fs::create_directory(shop);
    std::ofstream(shop / "print.1", std::ios::binary) << kReceipt;
    fs::last_write_time(shop / "print.1", fs::file_time_type::clock::now() - 10s);
    ImmutableFolder locked(shop);
    if (!locked.held()) GTEST_SKIP() << "no immutable folders on this file system";
    std::string settings = dir.read("param.ini");
    settings.replace(settings.find("[location] "), 11, "[location] " + shop.string() + "/");
    dir.write("param.ini", settings);

    startWaiting();
    // Printed, then the deletion insists and asks; the service is stopped meanwhile.
    ASSERT_TRUE(Eventually([&] { return sent(kPayment) > 0; }));
    ASSERT_TRUE(Eventually([&] { return logHas("Αδύνατη η διαγραφή του αρχείου"); }));
    service->signal(SIGTERM);
    EXPECT_EQ(0, service->waitExit());

    startService();
    ASSERT_TRUE(Eventually([&] { return logHas("έχει ήδη εκτυπωθεί αλλά δεν διαγράφεται"); }));
    locked.release();
    ASSERT_TRUE(Eventually([&] { return !fs::exists(shop / "print.1"); }));
    EXPECT_EQ(kProbe + kReceiptWire + kProbe, wire());  // printed once
}

TEST_F(FaultMatrix, SecondVarkondInTheSameFolderSaysWhyAndEnds) {
    startWaiting();
    Child second({VARKOND_PATH}, dir.path(), {"VARKON_COM1=" + (dir / "register").string()},
                 dir / "second.log");
    EXPECT_EQ(6, second.waitExit());
    EXPECT_NE(std::string::npos,
              dir.read("second.log").find("Το Varkon εργάζεται ήδη σε αυτόν τον φάκελο"));
    EXPECT_EQ(std::string::npos, dir.read("second.log").find("port: open"));
    EXPECT_TRUE(service->running());
}

TEST_F(FaultMatrix, OneShotRunWithARefusedSaleEndsWithStatusOne) {
    startRegister({"--fail", "^KY1$=2"});
    dir.write("job.prn", " PRG KY1\r\n PRG KY2\r\n");
    startService({"com1,9600,job.prn,0,mikro,1110000"});
    EXPECT_EQ(1, service->waitExit());
    EXPECT_TRUE(logHas("Τέλος Χαρτιού !"));
    EXPECT_EQ(kProbe + "KY1\rKY2\r", wire());
}

}  // namespace
}  // namespace varkon::e2e
