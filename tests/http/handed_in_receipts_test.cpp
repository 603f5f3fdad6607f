#include "http/handed_in_receipts.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Put = HandedInReceipts::PutResult;

const std::string kBody = " PLU 5201234567890 COFFEE 2.000 1.50 24.00\r\n to    1      10.00\r\n";

class HandedInReceiptsTest : public ::testing::Test {
  protected:
    fs::path folder() const { return dir / "http-receipts"; }
    std::size_t files(const std::string& extension) const {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(folder())) {
            n += entry.path().extension() == extension ? 1 : 0;
        }
        return n;
    }
    test::TempDir dir;
};

TEST_F(HandedInReceiptsTest, AKeyIsPrintedOnceAndAnotherBodyUnderItIsAConflict) {
    HandedInReceipts receipts(folder());
    ASSERT_TRUE(receipts.open());
    HandedInReceipt now;
    EXPECT_EQ(Put::kQueued, receipts.put("a", kBody, now));
    EXPECT_EQ(HandedInState::kQueued, now.state);
    EXPECT_EQ(Put::kRepeated, receipts.put("a", kBody, now));
    EXPECT_EQ(Put::kConflict, receipts.put("a", kBody + " to    1       1.00\r\n", now));
    EXPECT_EQ(1u, files(".prn"));
    // The print file holds the body byte for byte and is named by arrival, not by the key.
    const std::string path = receipts.nextReceipt();
    EXPECT_EQ(kBody, ReadWholeFile(path));
    EXPECT_EQ(std::string::npos, path.find("/a."));
}

TEST_F(HandedInReceiptsTest, TheSameKeyFromManyThreadsAtOnceIsTakenOnce) {
    HandedInReceipts receipts(folder());
    ASSERT_TRUE(receipts.open());
    std::vector<std::future<Put>> puts;
    for (int i = 0; i < 16; ++i) {
        puts.push_back(std::async(std::launch::async, [&] {
            HandedInReceipt now;
            return receipts.put("same", kBody, now);
        }));
    }
    int queued = 0;
    for (auto& put : puts) queued += put.get() == Put::kQueued ? 1 : 0;
    EXPECT_EQ(1, queued);
    EXPECT_EQ(1u, files(".prn"));
}

TEST_F(HandedInReceiptsTest, TheJobLoopTakesThemInArrivalOrderAndTellsHowEachEnded) {
    HandedInReceipts receipts(folder());
    ASSERT_TRUE(receipts.open());
    HandedInReceipt now;
    receipts.put("first", kBody, now);
    receipts.put("second", kBody + "\r\n", now);
    const std::string first = receipts.nextReceipt();
    EXPECT_TRUE(receipts.holds(first));
    EXPECT_FALSE(receipts.holds("print.1"));
    receipts.printing(first);
    receipts.progress(1, 2);
    EXPECT_EQ(1u, receipts.find("first")->line);
    EXPECT_EQ("first", receipts.status().printing->key);
    // A request waiting for the outcome wakes when it comes.
    auto waiting = std::async(std::launch::async, [&] {
        return receipts.waitForEnd("first", std::chrono::steady_clock::now() + 20s);
    });
    std::this_thread::sleep_for(50ms);
    receipts.finished(first, {IntakeOutcome::Kind::kPrinted, "17", 0, 0, ""});
    const std::optional<HandedInReceipt> ended = waiting.get();
    ASSERT_TRUE(ended);
    EXPECT_EQ(HandedInState::kDone, ended->state);
    EXPECT_EQ("17", ended->receiptNumber);
    EXPECT_FALSE(receipts.status().printing);
    EXPECT_NE(first, receipts.nextReceipt());
    EXPECT_EQ(1u, receipts.status().queued);
}

TEST_F(HandedInReceiptsTest, StatesSurviveARestartAndWhatNeverGotAnAnswerGoes) {
    std::string printingPath;
    {
        HandedInReceipts receipts(folder());
        ASSERT_TRUE(receipts.open());
        HandedInReceipt now;
        receipts.put("done", kBody, now);
        const std::string done = receipts.nextReceipt();
        receipts.printing(done);
        receipts.finished(done, {IntakeOutcome::Kind::kRefused, "", 3, 2, "Τέλος Χαρτιού !"});
        receipts.put("busy", kBody + "\r\n", now);
        printingPath = receipts.nextReceipt();
        receipts.printing(printingPath);
    }
    // A print file whose PUT never got its state written was never acknowledged.
    dir.write("http-receipts/99.prn", kBody);
    // Files that are none of ours are let be.
    dir.write("http-receipts/123456789012345678901234.json", "{}");
    dir.write("http-receipts/notes.txt", "x");
    HandedInReceipts again(folder());
    ASSERT_TRUE(again.open());
    const std::optional<HandedInReceipt> refused = again.find("done");
    ASSERT_TRUE(refused);
    EXPECT_EQ(HandedInState::kRefused, refused->state);
    EXPECT_EQ(2, refused->code);
    EXPECT_EQ("Τέλος Χαρτιού !", refused->message);
    // The one on the line is known again; the job record, not this, says how far it got.
    EXPECT_TRUE(again.find("busy"));
    EXPECT_TRUE(again.holds(printingPath));
    EXPECT_FALSE(fs::exists(folder() / "99.prn"));
    EXPECT_TRUE(fs::exists(folder() / "notes.txt"));
    // New receipts are numbered after everything seen.
    HandedInReceipt now;
    again.put("new", kBody + "\r\n\r\n", now);
    EXPECT_GT(now.number, 99u);
}

TEST_F(HandedInReceiptsTest, EndedReceiptsAreForgottenAfterTheirTime) {
    {
        HandedInReceipts receipts(folder());
        ASSERT_TRUE(receipts.open());
        HandedInReceipt now;
        receipts.put("old", kBody, now);
        receipts.finished(receipts.nextReceipt(), {IntakeOutcome::Kind::kPrinted, "1", 0, 0, ""});
        receipts.put("waiting", kBody + "\r\n", now);
    }
    HandedInReceipts later(folder(), -1s);  // as if their time had passed
    ASSERT_TRUE(later.open());
    EXPECT_FALSE(later.find("old"));
    EXPECT_TRUE(later.find("waiting"));  // one not ended is never forgotten
    EXPECT_EQ(1u, files(".json"));
}

TEST_F(HandedInReceiptsTest, ReportsAreTakenOnceInOrderAndTheirOutcomeWakesTheWaiter) {
    HandedInReceipts receipts(folder());
    ASSERT_TRUE(receipts.open());
    const std::optional<AskedReport> z = receipts.askReport(Report::kZDaily);
    const std::optional<AskedReport> x = receipts.askReport(Report::kXFinancial);
    ASSERT_TRUE(z && x);
    EXPECT_EQ(Report::kZDaily, receipts.takeReport());
    EXPECT_EQ(ReportState::kRunning, receipts.findReport(z->number)->state);
    auto waiting = std::async(std::launch::async, [&] {
        return receipts.waitForReport(z->number, std::chrono::steady_clock::now() + 20s);
    });
    receipts.reportEnded(Report::kZDaily, {false, 7, "Λάθος 7"});
    EXPECT_EQ(ReportState::kRefused, waiting.get()->state);
    EXPECT_EQ(Report::kXFinancial, receipts.takeReport());
    EXPECT_FALSE(receipts.takeReport());
}

}  // namespace
}  // namespace varkon
