// The long run's ticks as the driver's timestamps show them.
#include <gtest/gtest.h>

#include <vector>

#include "bench/longrun/TickStats.h"

TEST(TickCounter, BurstsOfRequestsAreTicksAndTheirSpansSurviveTheClocksWrap) {
    longrun::TickCounter ticks;
    // Two requests, then the next tick 330 ms later; the third tick crosses 2^32 us.
    const uint32_t kWrapAt = 0xFFFFFFFFu;
    const std::vector<uint32_t> times = {
        1000,          1000 + 4000,     // tick 1: 4 ms
        331000,        331000 + 99999,  // tick 2: a gap under 100 ms stays in it
        kWrapAt - 999, 1000,            // tick 3: 2 ms across the wrap
        330000,                         // tick 4 begins
    };
    for (uint32_t t : times)
        ticks.Add(t);
    EXPECT_EQ(4, ticks.Ticks());
    EXPECT_EQ((std::vector<uint32_t>{4000, 99999, 2000}), ticks.Spans())
        << "the last tick is not closed yet";
}

TEST(TickCounter, PercentilesAreNearestRank) {
    std::vector<uint32_t> spans;
    for (uint32_t i = 100; i >= 1; --i)
        spans.push_back(i);
    EXPECT_EQ(50u, longrun::Percentile(spans, 0.50));
    EXPECT_EQ(99u, longrun::Percentile(spans, 0.99));
    EXPECT_EQ(7u, longrun::Percentile({7}, 0.99));
    EXPECT_EQ(0u, longrun::Percentile({}, 0.5));
}
