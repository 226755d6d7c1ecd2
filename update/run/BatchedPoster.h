// The download pass's changes to the view, handed to the view's thread in
// batches. A stream of small files changes the display several times per
// millisecond; posted one by one, every change wakes the view's thread,
// which then repaints the window, and on a busy machine that costs more than
// the downloads themselves. Here changes are kept in order and posted
// together, at most one batch per interval; a timer posts what is held when
// nothing more comes, so a download that stalls still shows its name within
// about two intervals. Every change still runs on the view's thread, in the
// order it was made.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "update/run/UpdateView.h"

class BatchedPoster {
public:
    // Batches go to post, in order.
    BatchedPoster(ViewPost post, DWORD intervalMs);
    // Posts what is still held.
    ~BatchedPoster();
    BatchedPoster(const BatchedPoster&) = delete;
    BatchedPoster& operator=(const BatchedPoster&) = delete;

    void Post(ViewChange fn);
    // Posts what is held now: before anything posted around this class.
    void Flush();

private:
    static void CALLBACK OnTimer(void* self, BOOLEAN);
    void PostHeld(DWORD now);  // with m_mutex held

    const ViewPost m_post;
    const DWORD m_nIntervalMs;
    std::mutex m_mutex;
    std::vector<ViewChange> m_held;
    DWORD m_nLastPost;
    HANDLE m_hTimer = nullptr;  // made at the first change held back
};
