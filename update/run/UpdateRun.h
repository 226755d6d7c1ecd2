// One update run: what it took from the engine when it started, its own copy
// of the store, its stop token and its thread.
//
// The update thread never touches the engine or the view. It hands every
// change to the view's thread through Post, in order; a closure runs only
// while its run is still the engine's current run, so a stopped run that
// ends late changes nothing. The thread and the poster hold the run through
// shared ownership, so nothing the thread uses goes away with the window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Handles.h"
#include "update/net/StopSignal.h"
#include "update/run/UpdateStore.h"

class UiPoster;
class UpdateEngine;
class UpdateView;

// The built-in mirror and the two alternates (empty: none).
struct RunMirrors {
    std::string builtIn;
    std::string second;
    std::string third;
};

class UpdateRun : public std::enable_shared_from_this<UpdateRun> {
public:
    // View thread.
    UpdateRun(UpdateEngine& engine, std::shared_ptr<UiPoster> poster, HWND owner, bool forceCheck,
              unsigned attempts, const CUpdateStore& store, const RunMirrors& mirrors);

    // Runs fn on the view's thread after everything posted before, unless
    // this run has been replaced or the view is gone.
    void Post(std::function<void(UpdateView&)> fn);
    void PostToEngine(std::function<void(UpdateEngine&)> fn);
    // The current-file text.
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

    const HWND m_hOwner;
    const std::shared_ptr<StopSignal> m_pStop;
    const bool m_bForceCheck;
    // The worker's copy of the engine's counter; every change is posted.
    unsigned m_nUpdateAttempt;
    CUpdateStore m_Store;
    // Held and closed by the view's thread only.
    Base::UniqueKernelHandle m_hThread;

private:
    UpdateEngine* const m_pEngine;  // dereferenced only inside posted closures
    const std::shared_ptr<UiPoster> m_pPoster;
    const std::string m_sMirrors[3];
};
