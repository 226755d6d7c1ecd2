// Watches one blocking call at a time on a thread of its own, and runs the
// call's action (closing the request's handle) when it outlives its limit.
// The thread starts at the first arming and serves every call after it, so
// a run of many small files makes one thread, not one per file (under Wine
// a thread costs milliseconds, more than a small file's whole request).
// On Windows closing the handle makes a WinInet call blocked on the network
// return at once; Wine lets such a call finish, so the read loop also keeps
// its calls short (CHttpFile::ReadInto).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class CallWatchdog {
public:
    CallWatchdog() = default;
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    // The call about to be made must return within ms milliseconds, or
    // onExpiry runs (on the watchdog's thread).
    void Arm(uint32_t ms, std::function<void()> onExpiry);
    // The call returned in time.
    void Disarm();
    // The last armed call outlived its limit and its action ran.
    bool Expired() const { return m_bExpired.load(); }

private:
    using Clock = std::chrono::steady_clock;
    void Watch();

    std::function<void()> m_onExpiry;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bArmed = false;
    bool m_bQuit = false;
    Clock::time_point m_deadline;
    // When the watcher wakes next; max while it waits for an arming.
    Clock::time_point m_wake = Clock::time_point::max();
    std::atomic<bool> m_bExpired{false};
    std::thread m_thread;
};
