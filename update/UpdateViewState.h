// The fields the update engine shares with its view. The launcher window
// inherits them, so the login and the window read them under these names.
// Only the view's thread reads or writes them: a run takes copies when it
// starts and hands every change back through its posts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "update/UpdateStore.h"

class UpdateRun;

struct UpdateViewState {
    // What the last run learnt (release keys, stamps), for the next run.
    CUpdateStore m_UpdateStore;
    // The current run (thread handle, stop token, internet handles).
    std::shared_ptr<UpdateRun> m_pUpdateRun;
    bool m_bUpdating = false;
    bool m_bUpdateFinished = false;
    // The next run checks every file, even with a current stamp.
    bool m_bForceCheck = false;
    // A new launcher waits as its .tmp for the lobby to put it in place.
    bool m_bReplacePlazaUpdate = false;
    float m_fAllFileProgress = 0.0f;
    float m_fCurFileProgress = 0.0f;
    std::string m_sUpdateState;
    std::string m_sCurInfo;
    std::vector<std::string> m_vUpdateFileInfo;
    // Counts every attempt of every run; it picks the mirror.
    unsigned m_nUpdateAttempt = 0;
    std::string m_sMirrorUrl2;
    std::string m_sMirrorUrl3;
};
