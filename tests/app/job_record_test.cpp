#include <gtest/gtest.h>

#include <string>

#include "app/job_record.h"
#include "support/temp_dir.h"

namespace varkon {
namespace {

using test::TempDir;

FileContent Content(std::uint64_t hash) {
    FileContent content;
    content.identity = {7, 42};
    content.size = 120;
    content.modified = 1700000000123456789;
    content.hash = hash;
    return content;
}

ReceiptSettings Pos21SecondCurrency() {
    ReceiptSettings settings;
    settings.pos21 = true;
    settings.itemCodes = ItemCodes::kArticle;
    settings.settlement = Settlement::kSecondCurrency;
    return settings;
}

// A receipt cut short after three answered commands, as a later run reads it.
TEST(JobRecord, AnUnfinishedReceiptResumesAfterItsAnsweredCommands) {
    TempDir dir;
    {
        JobRecord record(dir / "varkon.job");
        ASSERT_TRUE(record.open());
        ASSERT_TRUE(record.begin("/shop/print \xE1.1", Content(99), Pos21SecondCurrency()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(record.answeredBefore());
            record.answered();
        }
        record.noteMessage();
        EXPECT_FALSE(record.answeredBefore());  // the fourth went out, and no answer came
    }                                           // killed here

    JobRecord later(dir / "varkon.job");
    ASSERT_TRUE(later.open());
    const RecordedJob* job = later.unfinished();
    ASSERT_NE(nullptr, job);
    EXPECT_EQ("/shop/print \xE1.1", job->path);
    EXPECT_EQ(Content(99), job->content);
    EXPECT_TRUE(job->settings.pos21);
    EXPECT_EQ(ItemCodes::kArticle, job->settings.itemCodes);
    EXPECT_EQ(Settlement::kSecondCurrency, job->settings.settlement);
    EXPECT_EQ(3u, job->answered);
    EXPECT_TRUE(job->messageShown);

    later.resume();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(later.replaying());
        EXPECT_TRUE(later.answeredBefore()) << i;
    }
    EXPECT_FALSE(later.replaying());
    EXPECT_FALSE(later.answeredBefore());  // the one in doubt goes out again
    later.answered();
    later.markSent();
    EXPECT_EQ(nullptr, later.unfinished());
    ASSERT_NE(nullptr, later.sentJobWith(Content(99)));
    EXPECT_EQ(nullptr, later.sentJobWith(Content(98)));  // rewritten in place: another file

    const std::uint64_t id = later.sentJobWith(Content(99))->id;
    later.forget(id);
    EXPECT_TRUE(later.jobs().empty());
    EXPECT_EQ("", dir.read("varkon.job"));  // nothing left to remember
}

TEST(JobRecord, ARecordTornOrDamagedIsIgnoredWithEverythingAfterIt) {
    TempDir dir;
    {
        JobRecord record(dir / "varkon.job");
        ASSERT_TRUE(record.open());
        ASSERT_TRUE(record.begin("a.prn", Content(1), {}));
        record.answered();
        record.answered();
    }
    const std::string whole = dir.read("varkon.job");
    const std::pair<std::string, std::uint64_t> cases[] = {
        {whole + "ans 1 3 *0000", 2},                                // torn at the end
        {whole + "ans 1 3 *00000000\n" + "ans 1 4 *8b3bd2a5\n", 2},  // a wrong check
        {whole.substr(0, whole.size() - 1), 1},  // the last "ans 1 2" torn: the one before it
    };
    for (const auto& [damaged, answered] : cases) {
        dir.write("varkon.job", damaged);
        JobRecord later(dir / "varkon.job");
        ASSERT_TRUE(later.open());
        ASSERT_NE(nullptr, later.unfinished());
        EXPECT_EQ(answered, later.unfinished()->answered);
    }
    // A file of garbage is a record of nothing, and is written anew.
    dir.write("varkon.job", std::string("\x00\xFFjob 1 zz\n", 11));
    JobRecord garbage(dir / "varkon.job");
    ASSERT_TRUE(garbage.open());
    EXPECT_TRUE(garbage.jobs().empty());
    EXPECT_EQ("", dir.read("varkon.job"));
}

TEST(JobRecord, ALongReceiptKeepsTheFileShort) {
    TempDir dir;
    {
        JobRecord record(dir / "varkon.job");
        ASSERT_TRUE(record.open());
        ASSERT_TRUE(record.begin("long.prn", Content(5), {}));
        for (int i = 0; i < 5000; ++i) record.answered();
        EXPECT_LT(dir.read("varkon.job").size(), 200u * 1024);
    }  // one program per folder: the next run comes after this one
    JobRecord later(dir / "varkon.job");
    ASSERT_TRUE(later.open());
    ASSERT_NE(nullptr, later.unfinished());
    EXPECT_EQ(5000u, later.unfinished()->answered);
}

TEST(JobRecord, AFolderThatCannotBeWrittenStartsNoReceipt) {
    TempDir dir;
    JobRecord record(dir / "missing" / "varkon.job");
    EXPECT_FALSE(record.open());
    EXPECT_FALSE(record.begin("a.prn", Content(1), {}));
    EXPECT_EQ(nullptr, record.unfinished());
}

}  // namespace
}  // namespace varkon
