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

TEST(CallWatchdog, ActsOnlyOnACallThatOutlivesItsLimit) {
    std::atomic<int> fired{0};
    CallWatchdog watchdog;
    const auto count = [&fired] { ++fired; };
    // Calls that return in time, many in a row, as blocks of a body.
    for (int i = 0; i < 50; ++i) {
        watchdog.Arm(200, count);
        watchdog.Disarm();
    }
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(fired.load(), 0);
    EXPECT_FALSE(watchdog.Expired());

    // A long limit first, then a short one: the watcher, asleep until the
    // long one, must wake for the short one.
    watchdog.Arm(5000, count);
    watchdog.Disarm();
    watchdog.Arm(100, count);
    const auto start = std::chrono::steady_clock::now();
    while (!watchdog.Expired() && std::chrono::steady_clock::now() - start < milliseconds(3000))
        std::this_thread::sleep_for(milliseconds(10));
    EXPECT_TRUE(watchdog.Expired());
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(fired.load(), 1) << "one expiry acts once";
}

TEST(BodyRate, EndsASpanBelowTheMinimumAndGivesBigBlocksTheirTime) {
    NetLimits limits;
    limits.rateWindowMs = 200;
    limits.minBytesPerSecond = 1000;
    // A block the minimum rate brings in 16 s may take that long; a small
    // one gets the whole window.
    EXPECT_EQ(BodyRate(limits).LimitFor(16000), 16000u);
    EXPECT_EQ(BodyRate(limits).LimitFor(10), 200u);

    BodyRate fast(limits);
    BodyRate slow(limits);
    for (int i = 0; i < 6; ++i) {
        std::this_thread::sleep_for(milliseconds(50));
        EXPECT_TRUE(fast.Count(100));  // 2000 bytes/s
    }
    bool ended = false;
    for (int i = 0; i < 6 && !ended; ++i) {
        std::this_thread::sleep_for(milliseconds(50));
        ended = !slow.Count(10);  // 200 bytes/s
    }
    EXPECT_TRUE(ended);
}

}  // namespace
