// The judge of a body's rate, which ends a request a mirror holds open
// with a byte now and then.
#include <gtest/gtest.h>

#include <chrono>

#include "update/net/BodyRate.h"

namespace {

using std::chrono::milliseconds;

TEST(BodyRate, EndsTheFirstWindowThatBringsLessThanTheMinimum) {
    NetLimits limits;
    limits.rateWindowMs = 200;
    limits.minBytesPerSecond = 1000;
    const BodyRate::Clock::time_point start;
    const auto at = [&](int ms) { return start + milliseconds(ms); };
    BodyRate rate(limits, start);
    // Nothing is judged within a window; the minimum itself passes.
    EXPECT_TRUE(rate.Count(0, at(150)));
    EXPECT_TRUE(rate.Count(200, at(200)));
    // Each window stands on its own: a fast one does not carry a slow one.
    EXPECT_TRUE(rate.Count(2000, at(400)));
    EXPECT_TRUE(rate.Count(10, at(500)));
    EXPECT_FALSE(rate.Count(10, at(600)));
}

}  // namespace
