#include "app/UiQueue.h"

#include "app/Messages.h"

void UiQueue::SetTarget(HWND target) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = target;
}

void UiQueue::Detach() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hTarget = nullptr;
    m_pending.clear();
}

void UiQueue::Post(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_hTarget) return;
    const bool wasEmpty = m_pending.empty();
    m_pending.push_back(std::move(fn));
    if (wasEmpty) ::PostMessageA(m_hTarget, WM_RUN_ON_UI, 0, 0);
}

void UiQueue::RunPending() {
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_pending.empty() || !m_hTarget) return;
            fn = std::move(m_pending.front());
            m_pending.pop_front();
        }
        fn();
    }
}
