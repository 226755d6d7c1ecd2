// The window's one door to the update engine. The window owns one engine and
// implements its UpdateView; it keeps none of the engine's state and reads
// what it needs through these calls.
//
// The engine holds what lasts from run to run: the store (release keys, the
// download session, the last stamps), the attempt counter that picks the
// mirror, the forced check and the new launcher waiting to be handed over.
// All of it lives on the view's thread. A run works on copies on its own
// thread and hands every change back as a closure (UpdateRun::Post), which
// runs here only while that run is still the current one.
#pragma once

#include <memory>
#include <string>

#include "update/place/LobbyHandOver.h"
#include "update/run/UpdateStore.h"
#include "update/run/UpdateView.h"

class UiPoster;
class UpdateRun;

class UpdateEngine {
public:
    // mirror is the built-in mirror base URL (ending in '/'); mirror2 and
    // mirror3 are the alternates, empty when there are none.
    UpdateEngine(UpdateView& view, std::shared_ptr<UiPoster> poster, std::string mirror,
                 std::string mirror2 = {}, std::string mirror3 = {});
    // Stops the current run, if any.
    ~UpdateEngine();
    UpdateEngine(const UpdateEngine&) = delete;
    UpdateEngine& operator=(const UpdateEngine&) = delete;

    // Stops the current run and starts a new one.
    void Start();
    // Stops the current run, if any. A stop never kills the thread: it sets
    // the run's stop token, which closes the run's internet handles, waits
    // at most 100 ms and then lets the thread end on its own. From that
    // moment the old run's posts are dropped, so a late thread changes
    // nothing.
    void Stop();
    // The next run checks every file, even with a current stamp.
    void ForceCheck() { m_bForceCheck = true; }

    bool IsUpdating() const { return m_bUpdating; }
    // A run ended ready for login and none runs: the lobby may start.
    bool IsReadyForLogin() const { return m_bUpdateFinished && !m_bUpdating; }
    // A new launcher waits as its .tmp for the lobby to put it in place; a
    // login then hands it over instead of logging in.
    bool IsLauncherWaiting() const { return m_bReplacePlazaUpdate; }
    // The login's hand-over: counted when it can be, made all the same.
    HandOver HandOverAtLogin(HWND owner) const;

    UpdateView& View() const { return m_view; }
    const std::shared_ptr<UpdateRun>& CurrentRun() const { return m_pUpdateRun; }

    // Set before Start by tests and by nothing else: what the store starts
    // each run with (release keys, network limits), and the mirrors.
    CUpdateStore& Store() { return m_UpdateStore; }
    void UseMirrors(std::string mirror, std::string mirror2 = {}, std::string mirror3 = {});

    // The run's reports, in closures it posted; each runs only while that
    // run is current.
    void OnAttemptBegun();
    void OnAttemptCounted(unsigned attempt);
    void OnLauncherWaiting(bool waiting) { m_bReplacePlazaUpdate = waiting; }
    void OnReady(const std::string& state);
    void OnRunEnded(const CUpdateStore& learnt) { m_UpdateStore = learnt; }
    // A failure nobody expected ended the run: the player may log in.
    void OnRunFailed();

    // Every attempt of every run counts; the count picks the mirror, and
    // it is never reset.
    unsigned m_nUpdateAttempt = 0;
    // Public so that a test can stand for the end of a run without one.
    bool m_bUpdating = false;
    bool m_bUpdateFinished = false;
    bool m_bReplacePlazaUpdate = false;

private:
    UpdateView& m_view;
    const std::shared_ptr<UiPoster> m_pPoster;
    std::string m_sMirrorUrl;
    // The alternate mirrors; an empty one stands for the built-in mirror.
    std::string m_sMirrorUrl2;
    std::string m_sMirrorUrl3;
    CUpdateStore m_UpdateStore;
    std::shared_ptr<UpdateRun> m_pUpdateRun;
    bool m_bForceCheck = false;
};
