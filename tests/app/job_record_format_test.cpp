#include <gtest/gtest.h>

#include <string>

#include "app/job_record_format.h"

namespace varkon {
namespace {

// What an earlier run left in varkon.job: it is read as it was meant, and a rewrite of what it
// holds writes the very same lines, so that files of earlier versions stay readable and a change
// of the form cannot slip in unnoticed. Reading stops at the record whose check fails.
TEST(JobRecordFormat, AFileOfAnEarlierRunIsReadAndWrittenAgainByteForByte) {
    const std::string earlier =
        "job 3 2f73686f702f7072696e7420e12e31 7 42 120 1700000000123456789 99 11020201 *2b497de7\n"
        "ans 3 5 *7909786c\n"
        "msg 3 *b9c6d382\n"
        "job 5 2f61 1 1 1 1 1 01000000 *378ccca2\n"
        "job 4 - 1 2 3 -5 4 00000400 *fceeb82e\n"
        "sent 4 *5197b65a\n"
        "gone 5 *e98317a7\n"
        "sent 3 *00000000\n"
        "ans 3 9 *70bf3447\n";
    const RecordFileContents read = ParseRecordFile(earlier);
    ASSERT_EQ(2u, read.jobs.size());
    EXPECT_EQ(6u, read.nextId);

    const RecordedJob& first = read.jobs[0];
    EXPECT_EQ(3u, first.id);
    EXPECT_EQ("/shop/print \xE1.1", first.path);
    EXPECT_EQ((FileIdentity{7, 42}), first.content.identity);
    EXPECT_EQ(120u, first.content.size);
    EXPECT_EQ(1700000000123456789, first.content.modified);
    EXPECT_EQ(99u, first.content.hash);
    EXPECT_TRUE(first.settings.pos21);
    EXPECT_EQ(ItemCodes::kArticle, first.settings.itemCodes);
    EXPECT_EQ(Settlement::kSecondCurrency, first.settings.settlement);
    EXPECT_TRUE(first.settings.departments);
    EXPECT_FALSE(first.settings.comments);
    EXPECT_EQ(5u, first.answered);  // the answers after the damaged record do not count
    EXPECT_TRUE(first.messageShown);
    EXPECT_FALSE(first.sent);

    const RecordedJob& second = read.jobs[1];
    EXPECT_EQ("", second.path);
    EXPECT_EQ(-5, second.content.modified);
    EXPECT_EQ(Settlement::kNone, second.settings.settlement);
    EXPECT_FALSE(second.settings.printDescription);
    EXPECT_TRUE(second.sent);

    EXPECT_EQ(
        "job 3 2f73686f702f7072696e7420e12e31 7 42 120 1700000000123456789 99 11020201 *2b497de7\n"
        "ans 3 5 *7909786c\n"
        "msg 3 *b9c6d382\n"
        "job 4 - 1 2 3 -5 4 00000400 *fceeb82e\n"
        "sent 4 *5197b65a\n",
        RecordFileText(read.jobs));
}

}  // namespace
}  // namespace varkon
