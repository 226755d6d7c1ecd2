// Judges the rate of one response body against the limits' minimum: over
// each span of rateWindowMs the body must bring minBytesPerSecond on
// average. It also keeps the body's recent pace, which sizes the reads.
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

    // Counts bytes that arrived at now; false once a span of at least a
    // window brought less than the minimum.
    bool Count(size_t bytes, Clock::time_point now = Clock::now());
    // The bytes the body brings in a short span (50 ms) at the pace of its
    // last such span; 0 until one has passed.
    uint64_t QuickBytes() const { return m_quickBytes; }

private:
    const NetLimits m_limits;
    Clock::time_point m_spanStart;
    uint64_t m_spanBytes = 0;
    Clock::time_point m_paceStart;
    uint64_t m_paceBytes = 0;
    uint64_t m_quickBytes = 0;
};
