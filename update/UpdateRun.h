// One update run: what it took from the window when it started, its own copy
// of the store, its stop token and its thread.
//
// The update thread never touches the window. It hands every change to the
// UI thread through Post, in order; a closure runs only while its run is
// still the window's current run, so a stopped run that ends late changes
// nothing. The thread and the queue hold the run through shared ownership,
// so nothing the thread uses goes away with the window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Handles.h"
#include "update/ReleaseSignature.h"
#include "update/StopSignal.h"
#include "update/UpdateStore.h"

class CPlazaUpdateWnd;
class UiQueue;

class UpdateRun : public std::enable_shared_from_this<UpdateRun> {
public:
    // UI thread: takes the window's handle, queue, mirrors, attempt counter,
    // forced-check flag and a copy of its store.
    UpdateRun(CPlazaUpdateWnd& wnd, std::string builtInMirror);

    // Runs fn(window) on the UI thread after everything posted before,
    // unless this run has been replaced or the window is gone.
    void Post(std::function<void(CPlazaUpdateWnd&)> fn);
    // The attempt counter is never reset: an attempt made before a stop
    // still counts, even when the stop comes before the UI thread saw it.
    void PostAttempt(unsigned attempt);
    // Sleeps ms milliseconds; false when the run was stopped meanwhile.
    bool Pause(DWORD ms) const { return m_pStop->Sleep(ms); }
    bool IsStopped() const { return m_pStop->IsStopped(); }
    // The mirror base URL of attempt number n (1: built-in, 2, 0: the others,
    // or the built-in one while they are empty).
    const std::string& MirrorForAttempt(unsigned attempt) const { return m_sMirrors[attempt % 3]; }

    CPlazaUpdateWnd* const m_pWnd;  // dereferenced only inside posted closures
    const HWND m_hWnd;
    const std::shared_ptr<UiQueue> m_pQueue;
    const std::shared_ptr<StopSignal> m_pStop;
    const bool m_bForceCheck;
    // Worker-side copies of the window's counter and flag; every change is
    // also posted to the window's own fields.
    unsigned m_nUpdateAttempt;
    bool m_bReplacePlazaUpdate = false;
    // A new launcher from an earlier run still waits beside the old one.
    bool m_bHandOverFailed = false;
    // Why the download pass refused a signed release (Accepted: it did not).
    ReleaseVerdict m_Refusal = ReleaseVerdict::Accepted;
    CUpdateStore m_Store;
    // Held and closed by the UI thread only.
    Base::UniqueKernelHandle m_hThread;

private:
    const std::string m_sMirrors[3];
};
