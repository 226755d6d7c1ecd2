// One update run: what it took from the view when it started, its own copy
// of the store, its stop token and its thread.
//
// The update thread never touches the view. It hands every change to the
// view's thread through Post, in order; a closure runs only while its run is
// still the view's current run, so a stopped run that ends late changes
// nothing. The thread and the poster hold the run through shared ownership,
// so nothing the thread uses goes away with the view.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Handles.h"
#include "update/ReleaseSignature.h"
#include "update/StopSignal.h"
#include "update/UpdateStore.h"

class UiPoster;
class UpdateView;

class UpdateRun : public std::enable_shared_from_this<UpdateRun> {
public:
    // View thread: takes the view's poster, owner window, mirrors, attempt
    // counter, forced-check flag and a copy of its store.
    UpdateRun(UpdateView& view, std::string builtInMirror);

    // Runs fn(view) on the view's thread after everything posted before,
    // unless this run has been replaced or the view is gone.
    void Post(std::function<void(UpdateView&)> fn);
    // Status text: m_sUpdateState and what the view shows.
    void PostState(const std::string& text);
    // Current-file text: m_sCurInfo and what the view shows.
    void PostCurInfo(const std::string& text);
    // The attempt counter is never reset: an attempt made before a stop
    // still counts, even when the stop comes before the view's thread saw it.
    void PostAttempt(unsigned attempt);
    // Sleeps ms milliseconds; false when the run was stopped meanwhile.
    bool Pause(DWORD ms) const { return m_pStop->Sleep(ms); }
    bool IsStopped() const { return m_pStop->IsStopped(); }
    // The mirror base URL of attempt number n (1: built-in, 2, 0: the others,
    // or the built-in one while they are empty).
    const std::string& MirrorForAttempt(unsigned attempt) const { return m_sMirrors[attempt % 3]; }

    UpdateView* const m_pView;  // dereferenced only inside posted closures
    const HWND m_hOwner;
    const std::shared_ptr<UiPoster> m_pPoster;
    const std::shared_ptr<StopSignal> m_pStop;
    const bool m_bForceCheck;
    // Worker-side copies of the view's counter and flag; every change is
    // also posted to the view's own fields.
    unsigned m_nUpdateAttempt;
    bool m_bReplacePlazaUpdate = false;
    // The new launcher waiting beside the old one was handed over as often
    // as it may be: the old one carries on.
    bool m_bHandOverAbandoned = false;
    // Why the download pass refused a signed release (Accepted: it did not).
    ReleaseVerdict m_Refusal = ReleaseVerdict::Accepted;
    // The accepted release number could not be saved to "release.ini".
    bool m_bReleaseNotSaved = false;
    CUpdateStore m_Store;
    // Held and closed by the view's thread only.
    Base::UniqueKernelHandle m_hThread;

private:
    const std::string m_sMirrors[3];
};
