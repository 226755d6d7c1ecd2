// The stop token of one update run. The UI thread stops a run by setting it;
// the update thread checks it at every sleep and between blocks, and waits
// for a request being opened or for the stop, whichever comes first
// (CHttpFile::Open). Setting it also closes the internet handles the run
// registered, which on Windows makes a WinInet call blocked on the network
// return instead of waiting for its time-out (Wine lets such a call finish).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <mutex>
#include <set>

#include "base/Handles.h"

class StopSignal {
public:
    StopSignal();
    // A part of a run that can also be stopped on its own (the download
    // pass, when one file fails, stops the transfers of the others): it
    // stops with parent too, which must outlive it.
    explicit StopSignal(StopSignal& parent);
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    bool IsStopped() const { return m_bStopped.load(); }
    // Sets the token, wakes sleepers and closes every registered handle,
    // its parts' too.
    void Stop();
    // Sleeps for ms milliseconds or until stopped; false when stopped.
    bool Sleep(DWORD ms) const;
    // Signalled once stopped; null when it could not be made.
    HANDLE Event() const { return m_hEvent.get(); }

    // A handle registered here is closed exactly once: by Stop, or by its
    // owner through Close. Track refuses (and closes) a handle once stopped.
    bool Track(HINTERNET h);
    void Close(HINTERNET h);

private:
    StopSignal* const m_pParent = nullptr;
    std::atomic<bool> m_bStopped{false};
    Base::UniqueKernelHandle m_hEvent;
    // Taken before a part's own, never after.
    std::mutex m_mutex;
    std::set<HINTERNET> m_handles;
    std::set<StopSignal*> m_parts;
};

// Owns one internet handle that a StopSignal may close early. Without a
// signal it is a plain owner.
class TrackedInternet {
public:
    TrackedInternet() = default;
    TrackedInternet(HINTERNET h, StopSignal* stop);
    ~TrackedInternet() { reset(); }
    TrackedInternet(const TrackedInternet&) = delete;
    TrackedInternet& operator=(const TrackedInternet&) = delete;

    HINTERNET get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void reset();

private:
    HINTERNET m_h = nullptr;
    StopSignal* m_pStop = nullptr;
};
