// The one path from worker threads to the UI thread. Workers post closures;
// the window runs them in order when it receives WM_RUN_ON_UI. Workers hold the
// queue through a shared_ptr, so a late post after the window is gone lands in
// a detached queue and is dropped instead of touching freed memory.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

#include "update/run/UiPoster.h"

class UiQueue : public UiPoster {
public:
    explicit UiQueue(HWND target) : m_hTarget(target) {}

    void SetTarget(HWND target);
    // Drops pending work and refuses new work: the window is being destroyed.
    void Detach();
    void Post(std::function<void()> fn) override;
    // UI thread only: runs everything posted so far.
    void RunPending();

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_pending;
    HWND m_hTarget;
    bool m_bWakePosted = false;  // a WM_RUN_ON_UI is on its way
};
