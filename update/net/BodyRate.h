// Judges the rate of one response body against the limits' minimum: over
// each span of rateWindowMs the body must bring minBytesPerSecond on
// average.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "update/net/NetLimits.h"

class BodyRate {
public:
    using Clock = std::chrono::steady_clock;

    // The body starts at start; the tests give their own times.
    explicit BodyRate(const NetLimits& limits, Clock::time_point start = Clock::now());

    // How long one read of `bytes` may block before it is below the minimum
    // rate for certain: a whole window, or longer for a block that the
    // minimum rate takes longer to bring.
    uint32_t LimitFor(size_t bytes) const;
    // Counts bytes that arrived at now; false once a span of at least a
    // window brought less than the minimum.
    bool Count(size_t bytes, Clock::time_point now = Clock::now());

private:
    const NetLimits m_limits;
    Clock::time_point m_spanStart;
    uint64_t m_spanBytes = 0;
};
