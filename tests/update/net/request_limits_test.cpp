// The judge of a body's rate, which ends a request a mirror holds open
// with a byte now and then.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "update/net/BodyRate.h"

namespace {

using std::chrono::milliseconds;

TEST(BodyRate, EndsASpanBelowTheMinimum) {
    NetLimits limits;
    limits.rateWindowMs = 200;
    limits.minBytesPerSecond = 1000;
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
