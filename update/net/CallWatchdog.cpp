#include "update/net/CallWatchdog.h"

CallWatchdog::~CallWatchdog() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_changed.notify_one();
    m_thread.join();
}

void CallWatchdog::Arm(uint32_t ms, std::function<void()> onExpiry) {
    bool wake;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Watch(); });
        m_onExpiry = std::move(onExpiry);
        m_bExpired.store(false);
        // A deadline after the watcher's next wake-up needs no signal: it
        // wakes then and waits again. That spares a thread switch per call.
        m_deadline = Clock::now() + std::chrono::milliseconds(ms);
        m_bArmed = true;
        wake = m_deadline < m_wake;
    }
    if (wake)
        m_changed.notify_one();
}

void CallWatchdog::Disarm() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bArmed = false;
}

void CallWatchdog::Watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bQuit) {
        if (!m_bArmed) {
            m_wake = Clock::time_point::max();
            m_changed.wait(lock);
        } else if (Clock::now() < m_deadline) {
            m_wake = m_deadline;
            m_changed.wait_until(lock, m_wake);
        } else {
            m_bArmed = false;
            m_bExpired.store(true);
            m_onExpiry();
        }
    }
}
