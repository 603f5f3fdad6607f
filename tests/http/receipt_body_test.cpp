#include "http/receipt_body.h"

#include <gtest/gtest.h>

namespace varkon {
namespace {

const std::string kSale =
    " PLU 5201234567890 COFFEE                        2.000       1.50   24.00\r\n";

TEST(ReceiptKey, OnlyUrlSafeKeysOfAtMost64Characters) {
    EXPECT_TRUE(IsReceiptKey("sale-2026.12.08_0001~a"));
    EXPECT_TRUE(IsReceiptKey(std::string(64, 'k')));
    for (const std::string& key :
         {std::string(), std::string(65, 'k'), std::string("a/b"), std::string("a\\b"),
          std::string("a b"), std::string("ά"), std::string("a\0b", 3), std::string("a%2Fb")}) {
        EXPECT_FALSE(IsReceiptKey(key)) << key;
    }
}

TEST(ReceiptBody, ABrokenRecordIsReportedWithItsLineAndColumn) {
    const BodyCheck check = CheckReceiptBody(kSale + kSale + " mod  %\r\n" + kSale);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(3u, check.line);
    EXPECT_EQ(7u, check.column);
    EXPECT_NE(std::string::npos, check.message.find("γραμμή 3"));
    // Line ends of every kind count lines alike.
    EXPECT_EQ(2u, CheckReceiptBody(" PLU 1\n mod  %\r").line);
}

TEST(ReceiptBody, ABodyWithoutRecordsOrWithNulBytesIsNoPrintFile) {
    EXPECT_FALSE(CheckReceiptBody("").ok);
    EXPECT_FALSE(CheckReceiptBody("{\"items\": []}").ok);
    EXPECT_FALSE(CheckReceiptBody(kSale + std::string("\0", 1)).ok);
}

TEST(ReceiptBody, CodePage1253AndUtf8BodiesAreBothTaken) {
    EXPECT_TRUE(CheckReceiptBody(kSale).ok);
    EXPECT_TRUE(CheckReceiptBody(" PLU 5201234567890 ΚΑΦΕΣ 2.000 1.50 24.00\r\n").ok);
    EXPECT_TRUE(
        CheckReceiptBody(" PLU 5201234567890 \xca\xc1\xd6\xc5\xd3 2.000 1.50 24.00\r\n").ok);
}

}  // namespace
}  // namespace varkon
