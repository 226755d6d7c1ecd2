// The pieces that end a request a mirror holds open: the watchdog that acts
// when one call outlives its limit, and the judge of a body's rate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "update/net/BodyRate.h"
#include "update/net/CallWatchdog.h"

namespace {

using std::chrono::milliseconds;

// Waits up to a minute for done(): far longer than any limit armed here
// takes, far shorter than the ones that must not be waited for.
template <typename F>
bool WaitFor(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(milliseconds(10));
    return done();
}

TEST(CallWatchdog, ActsOnlyOnACallThatOutlivesItsLimit) {
    std::atomic<int> early{0};
    std::atomic<int> late{0};
    {
        // Calls that return in time, many in a row, as blocks of a body,
        // then one that does not: only that one acts, and only once.
        CallWatchdog watchdog;
        for (int i = 0; i < 50; ++i) {
            watchdog.Arm(1000, [&early] { ++early; });
            watchdog.Disarm();
        }
        watchdog.Arm(3000, [&late] { ++late; });
        ASSERT_TRUE(WaitFor([&] { return late.load() > 0; }));
        EXPECT_TRUE(watchdog.Expired());
        std::this_thread::sleep_for(milliseconds(200));
        EXPECT_EQ(late.load(), 1);
        EXPECT_EQ(early.load(), 0);
    }

    // A long limit first, then a short one: the watcher, asleep until the
    // long one, must wake for the short one.
    CallWatchdog watchdog;
    watchdog.Arm(600000, [&early] { ++early; });
    std::this_thread::sleep_for(milliseconds(100));
    watchdog.Disarm();
    watchdog.Arm(100, [&late] { ++late; });
    EXPECT_TRUE(WaitFor([&] { return watchdog.Expired(); }));
}

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
