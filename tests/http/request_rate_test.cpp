#include "http/request_rate.h"

#include <gtest/gtest.h>

namespace varkon {
namespace {

using namespace std::chrono_literals;

TEST(RequestRate, ABurstIsTakenThenTheRateRefillsPerAddress) {
    RequestRate rate(2, 3);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(rate.take("10.0.0.1", start));
    EXPECT_TRUE(rate.take("10.0.0.1", start));
    EXPECT_TRUE(rate.take("10.0.0.1", start));
    EXPECT_FALSE(rate.take("10.0.0.1", start));
    EXPECT_TRUE(rate.exhausted("10.0.0.1", start));
    // Another address has a bucket of its own.
    EXPECT_TRUE(rate.take("10.0.0.2", start));
    // Two a second: half a second gives one more, never more than the burst.
    EXPECT_TRUE(rate.take("10.0.0.1", start + 500ms));
    EXPECT_FALSE(rate.take("10.0.0.1", start + 500ms));
    EXPECT_FALSE(rate.exhausted("10.0.0.1", start + 1h));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(rate.take("10.0.0.1", start + 1h));
    EXPECT_FALSE(rate.take("10.0.0.1", start + 1h));
}

TEST(RequestRate, ManyAddressesDoNotGrowItWithoutBound) {
    RequestRate rate(1, 1);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20000; ++i) rate.take("a" + std::to_string(i), start);
    // The newest address still has its own empty bucket.
    EXPECT_FALSE(rate.take("a19999", start));
}

}  // namespace
}  // namespace varkon
