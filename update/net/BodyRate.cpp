#include "update/net/BodyRate.h"

BodyRate::BodyRate(const NetLimits& limits, Clock::time_point start)
    : m_limits(limits), m_spanStart(start) {}

uint32_t BodyRate::LimitFor(size_t bytes) const {
    if (m_limits.minBytesPerSecond == 0)
        return m_limits.rateWindowMs;
    const uint64_t ms = static_cast<uint64_t>(bytes) * 1000 / m_limits.minBytesPerSecond;
    return ms > m_limits.rateWindowMs ? static_cast<uint32_t>(ms > UINT32_MAX ? UINT32_MAX : ms)
                                      : m_limits.rateWindowMs;
}

bool BodyRate::Count(size_t bytes, Clock::time_point now) {
    m_spanBytes += bytes;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - m_spanStart).count();
    if (elapsed < static_cast<long long>(m_limits.rateWindowMs))
        return true;
    if (m_spanBytes * 1000 < static_cast<uint64_t>(elapsed) * m_limits.minBytesPerSecond)
        return false;
    m_spanStart = now;
    m_spanBytes = 0;
    return true;
}
