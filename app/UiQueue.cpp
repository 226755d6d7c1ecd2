#include "app/UiQueue.h"

#include "app/Messages.h"

void UiQueue::SetTarget(HWND target) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = target;
    m_bWakePosted = false;
}

void UiQueue::Detach() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = nullptr;
    m_pending.clear();
}

void UiQueue::Post(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_hTarget)
        return;
    m_pending.push_back(std::move(fn));
    // One message wakes the window for everything queued before it runs. A
    // post that failed (a full message queue) leaves none on the way, so the
    // next Post tries again instead of waiting for a message that never
    // comes.
    if (!m_bWakePosted)
        m_bWakePosted = ::PostMessageA(m_hTarget, WM_RUN_ON_UI, 0, 0) != FALSE;
}

void UiQueue::RunPending() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bWakePosted = false;
    }
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_pending.empty() || !m_hTarget)
                return;
            fn = std::move(m_pending.front());
            m_pending.pop_front();
        }
        fn();
    }
}
