// varkond against a misbehaving varkon-sim: a register that falls silent, is off-line, refuses,
// answers through noise or in pieces, a slow line, an unplugged adapter, and a host that deletes,
// locks or is still writing its print file, or leaves no room for receipt.txt. Each case states
// what the operator reads in the log, what receipt.txt says, and that no print file goes unread.
// (A disk that fills while param.ini is rewritten is a case of the settings writer:
// SettingsWriter.FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile in tests/config.)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "fault_matrix.h"

namespace varkon::e2e {
namespace {

// ---- The register -----------------------------------------------------------------------------

TEST_F(SlowFaultMatrix, LineDeadMidReceiptStopsItAndItIsFinishedOnceTheRegisterAnswersAgain) {
    // The probe, the quantity and the coffee are taken; then the line is dead for 5 s, long
    // after the pie's last try (about 2 s), so that the checks below run before it is back even
    // on a busy machine.
    startWaiting({"--dead-after", "3", "--dead-for", "5000"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return dir.read("receipt.txt") == "-1\r\n"; }));
    // The pie got no answer after all its tries: nothing after it goes into the void, the file
    // waits, and one message says which receipt waits and where.
    EXPECT_TRUE(exists("print.1"));
    EXPECT_EQ(0, sent(kPayment));
    const std::string waits =
        "[16] Η απόδειξη print.1 δεν ολοκληρώθηκε: η ταμειακή δεν "
        "απάντησε στη γραμμή 2";
    ASSERT_EQ(1u, logged("message").size());
    EXPECT_EQ(0u, logged("message")[0].find(waits)) << logged("message")[0];
    // Another receipt waits behind it.
    drop("print.2", " PRG KY1\r\n");

    ASSERT_TRUE(printed("print.1"));
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ(1u, logged("message").size());  // told once, however often it was tried
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    // On the register: each line once, settled once, and the next receipt after it.
    const std::string paper = dir.read("paper");
    EXPECT_EQ(1, sent(kCoffee));
    EXPECT_EQ(1, sent(kPayment));
    EXPECT_NE(std::string::npos, paper.find(kTotal)) << paper;
    EXPECT_LT(wire().rfind(kPayment), wire().find("KY1\r"));
}

TEST_F(FaultMatrix, SalesRefusedWithAnErrorCodeAreEachShownAndTheReceiptIsMinusOne) {
    startWaiting({"--fail", "^KX[0-9]+R[0-9]=2"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(std::vector<std::string>(2, kPaperOutBox), logged("message"));
    EXPECT_TRUE(logHas("caption: Σφάλμα !!!Τέλος Χαρτιού !"));
    EXPECT_TRUE(logHas("receipt: 1"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());  // a refused command is answered: not sent again
}

TEST_F(FaultMatrix, ErrorAnswerSplitAfterDEIsJudgedWholeAndNotTakenForTheNextAnswer) {
    // "DE" comes in one read, the code 60 ms later in another.
    startWaiting({"--fail", "^KX[0-9]+R[0-9]=2", "--split", "60"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(std::vector<std::string>(2, kPaperOutBox), logged("message"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());

    drop("print.2", " PRG KY1\r\n");
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));  // nothing of the split answers is left over
}

TEST_F(FaultMatrix, NoiseBeforeAnswersIsShownAsTheRegistersTextAndEachCommandGoesOnce) {
    startWaiting({"--noise"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    // An answer that is not "DE" and a code is the register's own text: every one is shown.
    const auto messages = logged("message");
    ASSERT_EQ(5u, messages.size());  // the probe's answer and the receipt's four
    for (const auto& message : messages) EXPECT_TRUE(message.starts_with("[16] Λάθος : 0\\r"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());
    EXPECT_NE(std::string::npos, dir.read("paper").find(kTotal));
}

TEST_F(FaultMatrix, SlowLineAt9600BaudCarriesTheWholeReceiptCleanly) {
    startWaiting({"--baud", "9600", "--latency", "5"});
    drop("print.1", kReceipt + " com  THANK YOU\r\n foo  GOOD DAY\r\n");
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
    EXPECT_TRUE(logged("message").empty());
    EXPECT_EQ(kProbe + kReceiptWire + "KXCO THANK YOU\rKXCO " + std::string(20, '-') + "\rKXCO " +
                  std::string(18, '-') + "\rKXCO GOOD DAY\r\n\r" + Times("KXCO\r", 5),
              wire());
    EXPECT_NE(std::string::npos, dir.read("paper").find(kTotal));
}

TEST_F(FaultMatrix, OneShotRunKeepsProbingAnOfflineRegisterAndLeavesItsFileWhenStopped) {
    startRegister({"--offline"});
    dir.write("job.prn", kReceipt);
    startService({"com1,9600,job.prn,0,mikro,1110000"});
    ASSERT_TRUE(Eventually([&] { return !logged("message").empty(); }));
    service->signal(SIGTERM);
    EXPECT_EQ(0, service->waitExit());
    EXPECT_EQ(kNoAnswerBox, logged("message").front());
    EXPECT_EQ(kReceipt, dir.read("job.prn"));
    EXPECT_FALSE(exists("receipt.txt"));
    const std::string sent = wire();
    EXPECT_EQ(Times(kProbe, static_cast<int>(sent.size() / kProbe.size())), sent);
}

TEST_F(SlowFaultMatrix, OfflineRegisterEndsTheServiceWithAWaitingReceiptUntaken) {
    startRegister({"--offline"});
    drop("print.1", kReceipt);
    startService();
    EXPECT_EQ(3, service->waitExit());
    const std::string offline = "Ταμειακή OFF-Line !!!\\r\\nΠροσπάθεια ";
    EXPECT_EQ((std::vector<std::string>{"Εύρεση Ταμειακής!!! Πατήστε 793<ST> ", offline + "1/3",
                                        offline + "2/3", offline + "3/3"}),
              logged("status"));
    EXPECT_TRUE(logHas("caption: Varkon- Σφάλμα !"));
    EXPECT_EQ(kReceipt, dir.read("print.1"));
    EXPECT_FALSE(exists("receipt.txt"));
    EXPECT_EQ(Times(kProbe, 12), wire());
}

// ---- The line ----------------------------------------------------------------------------------

TEST_F(FaultMatrix, HangUpMidReceiptStopsItAndTheNextJobFinishesItOnTheNewLine) {
    startWaiting({"--hangup-after", "4"});  // the probe, the quantity and both sales
    drop("print.1", kReceipt);
    // The payment goes into the dropped line; the next look reopens the port on the new line
    // and sends it again: the receipt is settled once.
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    ASSERT_EQ(1u, logged("message").size());
    EXPECT_NE(std::string::npos, logged("message")[0].find("γραμμή 3")) << logged("message")[0];
    EXPECT_EQ(kProbe + kQuantity + kCoffee + kPie + kPayment, wire());

    drop("print.2", " PRG KY1\r\n");
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_NE(std::string::npos, dir.read("paper").find("ΠΡΟΓΡ. KY1"));
}

TEST_F(FaultMatrix, ReceiptWaitsWhileTheAdapterIsUnpluggedAndPrintsOnceItIsBack) {
    startWaiting();
    drop("print.1", " PRG KY1\r\n");  // the first job frees the port the search opened
    ASSERT_TRUE(printed("print.1"));

    fs::rename(dir / "register", dir / "unplugged");
    drop("print.2", kReceipt);
    // Two looks for print files find the port gone: nothing of the receipt reaches the
    // register, so it is kept and not counted, and the operator is told once.
    ASSERT_TRUE(Eventually([&] {
        const auto opens = logged("port");
        return std::count(opens.begin(), opens.end(), "open com1 9600,n,8,1 -> -1") >= 2;
    }));
    // The log says why, in the system's words.
    EXPECT_TRUE(
        logHas("port: not opened: " + (dir / "register").string() + ": No such file or directory"));
    EXPECT_EQ(kReceipt, dir.read("print.2"));
    EXPECT_EQ("", dir.read("receipt.txt"));  // emptied: the host's receipt is under way
    EXPECT_EQ(std::vector<std::string>{"[16 Μύνημα Varkon] Πρόβλημα στην Θύρα :com1 -> OK"},
              logged("message"));
    EXPECT_FALSE(logHas("receipt: 2"));

    fs::rename(dir / "unplugged", dir / "register");
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(kProbe + "KY1\r" + kReceiptWire, wire());
}

// ---- The host's files --------------------------------------------------------------------------

TEST_F(FaultMatrix, PrintFileDeletedWhileReadIsPrintedWholeAndANewOneOfTheSameNameIsKept) {
    startWaiting({"--latency", "100"});
    drop("print.1", kReceipt);
    ASSERT_TRUE(Eventually([&] { return wire().find(kQuantity) != std::string::npos; }));
    // The host takes the file back and, print.1 being free again, writes its next receipt.
    fs::remove(dir / "print.1");
    dir.write("print.1", " PRG KY1\r\n");
    // The receipt read goes out whole; the new file is printed next, as soon as it is done.
    ASSERT_TRUE(Eventually([&] { return sent("KY1\r") > 0; }));
    EXPECT_EQ(kProbe + kReceiptWire + "KY1\r", wire());

    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(kProbe + kReceiptWire + "KY1\r", wire());
    EXPECT_TRUE(logged("message").empty());
}

TEST_F(FaultMatrix, GrowingPrintFileIsTakenOnlyOnceItsWriterHasFinished) {
    startWaiting();
    {
        std::ofstream out(dir / "print.1", std::ios::binary);
        for (std::size_t line = 0; line < 6; ++line) {
            out << " PRG KY" << line << "\r\n" << std::flush;
            std::this_thread::sleep_for(200ms);
        }
    }
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(kProbe + "KY0\rKY1\rKY2\rKY3\rKY4\rKY5\r", wire());
}

TEST_F(SlowFaultMatrix, PrintFileLockedByItsWriterIsNotTakenEvenWhenItPausesLong) {
    startWaiting();
    // Written in two halves with a long pause, under a whole-file lock (flock), then a record
    // lock (fcntl), as hosts on this platform hold them.
    const std::string halves[2] = {" PRG KY1\r\n", " PRG KY2\r\n"};
    for (const bool recordLock : {false, true}) {
        const std::string name = recordLock ? "print.2" : "print.1";
        const int fd = ::open((dir / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        ASSERT_EQ(0, recordLock ? ::fcntl(fd, F_SETLK, &whole) : ::flock(fd, LOCK_EX));
        ASSERT_EQ(10, ::write(fd, halves[0].data(), 10));
        std::this_thread::sleep_for(2s);
        ASSERT_EQ(10, ::write(fd, halves[1].data(), 10));
        ::close(fd);  // releases either lock
        ASSERT_TRUE(printed(name));
    }
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(kProbe + "KY1\rKY2\rKY1\rKY2\r", wire());
}

TEST_F(FaultMatrix, UnwritableReceiptTxtIsToldToTheOperatorAndTheReceiptStillCounts) {
    fs::create_directory(dir / "receipt.txt");
    startWaiting();
    drop("print.1", kReceipt);
    ASSERT_TRUE(printed("print.1"));
    const std::string warning = "[48] Αδύνατη η εγγραφή του αρχείου receipt.txt -> OK";
    EXPECT_EQ(std::vector<std::string>{warning}, logged("message"));
    EXPECT_TRUE(logHas("receipt: 1"));
    EXPECT_EQ(kProbe + kReceiptWire, wire());  // printed once: never again for the count's sake

    fs::remove(dir / "receipt.txt");
    drop("print.2", " PRG KY1\r\n");
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(std::vector<std::string>{warning}, logged("message"));
}

TEST_F(FaultMatrix, PrintFileWithoutARecordIsToldNotCountedAndMinusOne) {
    startWaiting();
    // Two megabytes that hold no record: no letter anywhere, a line end now and then.
    std::string garbage(2 << 20, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = i % 100 == 99 ? '\n' : static_cast<char>(0x80 + (i * 37) % 128);
    }
    drop("print.1", garbage);
    ASSERT_TRUE(printed("print.1"));
    EXPECT_EQ("-1\r\n", dir.read("receipt.txt"));
    EXPECT_EQ(std::vector<std::string>{"[48] Το αρχείο εκτύπωσης δεν περιέχει απόδειξη : print.1 "
                                       "-> OK"},
              logged("message"));
    EXPECT_EQ(kProbe, wire());

    drop("print.2", kReceipt);
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ("1\r\n", dir.read("receipt.txt"));  // the first receipt there was
    EXPECT_EQ(kProbe + kReceiptWire, wire());
}

TEST_F(FaultMatrix, Utf8PrintFileGoesOnTheWireAsItsCodePage1253Twin) {
    startWaiting();
    // The coffee sold as ΚΑΦΕΣ: five bytes in code page 1253, ten in UTF-8.
    std::string cp1253 = kReceipt;
    cp1253.replace(cp1253.find("COFFEE"), 6, "\xCA\xC1\xD6\xC5\xD3 ");
    std::string utf8 = kReceipt;
    utf8.replace(utf8.find("COFFEE"), 6, "ΚΑΦΕΣ ");
    drop("print.1", cp1253);
    ASSERT_TRUE(printed("print.1"));
    const std::string once = wire().substr(kProbe.size());
    EXPECT_NE(std::string::npos, once.find(kPie + kPayment)) << once;
    drop("print.2", utf8);
    ASSERT_TRUE(printed("print.2"));
    EXPECT_EQ(kProbe + once + once, wire());
    EXPECT_EQ("2\r\n", dir.read("receipt.txt"));
    const auto statuses = logged("status");
    EXPECT_EQ(1, std::count(statuses.begin(), statuses.end(),
                            "Το αρχείο εκτύπωσης είναι σε UTF-8 και μετατρέπεται σε κωδικοσελίδα "
                            "1253 : print.2"));
}

// ---- What the operator changes while it runs ----------------------------------------------------

TEST_F(FaultMatrix, SingleFileModeChosenWhileRunningPrintsItsFileOnAnOpenPort) {
    startWaiting();
    drop("print.1", " PRG KY1\r\n");  // numbered mode frees the port after its job
    ASSERT_TRUE(printed("print.1"));
    // With the adapter unplugged nothing could reach the register: the file waits, unread. It is
    // there before the settings name it, since a single-file run without its file ends.
    fs::rename(dir / "register", dir / "unplugged");
    drop("job.prn", kReceipt);
    std::string settings = dir.read("param.ini");
    settings.replace(settings.find("[multi type] true"), 17, "[multi type] false");
    settings.replace(settings.find("[file] print"), 12, "[file] job.prn");
    drop("param.ini", settings);
    ASSERT_TRUE(Eventually([&] {
        const auto opens = logged("port");
        return std::count(opens.begin(), opens.end(), "open com1 9600,n,8,1 -> -1") >= 2;
    }));
    EXPECT_EQ(kReceipt, dir.read("job.prn"));
    EXPECT_TRUE(service->running());
    fs::rename(dir / "unplugged", dir / "register");

    EXPECT_EQ(0, service->waitExit());
    EXPECT_FALSE(exists("job.prn"));
    EXPECT_EQ(kProbe + "KY1\r" + kReceiptWire, wire());
    EXPECT_EQ(std::vector<std::string>{"[16 Μύνημα Varkon] Πρόβλημα στην Θύρα :com1 -> OK"},
              logged("message"));
}

TEST_F(FaultMatrix, PrintFolderThatIsMissingOrAFileIsToldOnceAndAgainWhenItIsBack) {
    const fs::path shop = dir / "shop";
    std::string settings = dir.read("param.ini");
    settings.replace(settings.find("[location] "), 11, "[location] " + shop.string() + "/");
    dir.write("param.ini", settings);
    startRegister();
    startService();
    const std::string missing =
        "Ο φάκελος των αρχείων εκτύπωσης δεν υπάρχει ή δεν είναι φάκελος : " + shop.string() + "/";
    ASSERT_TRUE(Eventually([&] { return logHas("status: " + missing); }));
    std::this_thread::sleep_for(1200ms);  // more looks find it missing, then a file in its place
    dir.write("shop", "not a folder");
    std::this_thread::sleep_for(1200ms);
    fs::remove(shop);
    fs::create_directory(shop);
    std::ofstream(shop / "print.1", std::ios::binary) << " PRG KY1\r\n";
    ASSERT_TRUE(Eventually([&] { return !fs::exists(shop / "print.1"); }));

    const auto statuses = logged("status");
    EXPECT_EQ(1, std::count(statuses.begin(), statuses.end(), missing));
    const std::string back =
        "Ο φάκελος των αρχείων εκτύπωσης βρέθηκε : " + shop.string() + "/\\r\\n" + kWaiting;
    EXPECT_EQ(1, std::count(statuses.begin(), statuses.end(), back));
    EXPECT_EQ(kProbe + "KY1\r", wire());
}

}  // namespace
}  // namespace varkon::e2e
