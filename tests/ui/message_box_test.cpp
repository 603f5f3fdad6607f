#include <gtest/gtest.h>

#include <QString>

#include "ui/message_box.h"

namespace varkon {
namespace {

TEST(MessageBoxText, BareCarriageReturnsBreakLines) {
    // The deletion question holds CR CR; the link's two-line messages a single CR.
    EXPECT_EQ(QStringLiteral("a\n\nb\nc"), DisplayLines("a\r\rb\r\nc"));
    EXPECT_EQ(QString::fromUtf8("Λάθος : 2\nΤέλος Χαρτιού !"),
              DisplayLines("Λάθος : 2\rΤέλος Χαρτιού !"));
}

}  // namespace
}  // namespace varkon
