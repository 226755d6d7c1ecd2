#include "update/run/BatchedPoster.h"

#include <mmsystem.h>

BatchedPoster::BatchedPoster(ViewPost post, DWORD intervalMs)
    : m_post(std::move(post)),
      m_nIntervalMs(intervalMs),
      m_nLastPost(::timeGetTime() - intervalMs) {}

BatchedPoster::~BatchedPoster() {
    // Waits for a timer call that is under way.
    if (m_hTimer)
        ::DeleteTimerQueueTimer(nullptr, m_hTimer, INVALID_HANDLE_VALUE);
    Flush();
}

void BatchedPoster::Post(ViewChange fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held.push_back(std::move(fn));
    const DWORD now = ::timeGetTime();
    if (now - m_nLastPost >= m_nIntervalMs) {
        PostHeld(now);
    } else if (!m_hTimer &&
               !::CreateTimerQueueTimer(&m_hTimer, nullptr, OnTimer, this, m_nIntervalMs,
                                        m_nIntervalMs, WT_EXECUTEDEFAULT)) {
        // Without a timer nothing may wait.
        m_hTimer = nullptr;
        PostHeld(now);
    }
}

void BatchedPoster::Flush() {
    std::lock_guard<std::mutex> lock(m_mutex);
    PostHeld(::timeGetTime());
}

void CALLBACK BatchedPoster::OnTimer(void* self, BOOLEAN) {
    auto* poster = static_cast<BatchedPoster*>(self);
    std::lock_guard<std::mutex> lock(poster->m_mutex);
    const DWORD now = ::timeGetTime();
    if (now - poster->m_nLastPost >= poster->m_nIntervalMs)
        poster->PostHeld(now);
}

void BatchedPoster::PostHeld(DWORD now) {
    if (m_held.empty())
        return;
    m_nLastPost = now;
    m_post([batch = std::move(m_held)](UpdateView& v) {
        for (const auto& fn : batch)
            fn(v);
    });
    m_held.clear();
}
