#include "update/net/BodyRate.h"

namespace {

constexpr long long kQuickSpanMs = 50;

long long MsBetween(std::chrono::steady_clock::time_point from,
                    std::chrono::steady_clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

}  // namespace

BodyRate::BodyRate(const NetLimits& limits, Clock::time_point start)
    : m_limits(limits), m_spanStart(start), m_paceStart(start) {}

bool BodyRate::Count(size_t bytes, Clock::time_point now) {
    m_spanBytes += bytes;
    m_paceBytes += bytes;
    if (const long long pace = MsBetween(m_paceStart, now); pace >= kQuickSpanMs) {
        m_quickBytes = m_paceBytes * kQuickSpanMs / static_cast<uint64_t>(pace);
        m_paceStart = now;
        m_paceBytes = 0;
    }
    const long long elapsed = MsBetween(m_spanStart, now);
    if (elapsed < static_cast<long long>(m_limits.rateWindowMs))
        return true;
    if (m_spanBytes * 1000 < static_cast<uint64_t>(elapsed) * m_limits.minBytesPerSecond)
        return false;
    m_spanStart = now;
    m_spanBytes = 0;
    return true;
}
