#include "update/run/UpdateEngine.h"

#include <windows.h>
#include <process.h>

#include "base/ProgramFolder.h"
#include "update/run/UpdateRun.h"
#include "update/run/UpdateThread.h"

namespace {

constexpr DWORD kStopWaitMs = 100;

unsigned __stdcall UpdateThreadEntry(void* param) {
    // The thread owns one reference to its run for its whole life.
    std::unique_ptr<std::shared_ptr<UpdateRun>> owned(
        static_cast<std::shared_ptr<UpdateRun>*>(param));
    RunUpdateThread(*owned);
    return 0;
}

}  // namespace

UpdateEngine::UpdateEngine(UpdateView& view, std::shared_ptr<UiPoster> poster, std::string mirror,
                           std::string mirror2, std::string mirror3)
    : m_view(view),
      m_pPoster(std::move(poster)),
      m_sMirrorUrl(std::move(mirror)),
      m_sMirrorUrl2(std::move(mirror2)),
      m_sMirrorUrl3(std::move(mirror3)) {}

UpdateEngine::~UpdateEngine() {
    Stop();
}

void UpdateEngine::UseMirrors(std::string mirror, std::string mirror2, std::string mirror3) {
    m_sMirrorUrl = std::move(mirror);
    m_sMirrorUrl2 = std::move(mirror2);
    m_sMirrorUrl3 = std::move(mirror3);
}

void UpdateEngine::Start() {
    Stop();
    auto run = std::make_shared<UpdateRun>(*this, m_pPoster, m_view.GetOwnerWindow(), m_bForceCheck,
                                           m_nUpdateAttempt, m_UpdateStore,
                                           RunMirrors{m_sMirrorUrl, m_sMirrorUrl2, m_sMirrorUrl3});
    m_pUpdateRun = run;
    // From here a login or a Cancel must see a running update, not wait for
    // the new thread's first post to say so.
    m_bUpdating = true;
    m_bUpdateFinished = false;
    auto* param = new std::shared_ptr<UpdateRun>(run);
    const uintptr_t thread =
        ::_beginthreadex(nullptr, 0, UpdateThreadEntry, param, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete param;
        m_pUpdateRun.reset();
        m_bUpdating = false;
        return;
    }
    run->m_hThread.reset(reinterpret_cast<HANDLE>(thread));
    ::SetThreadPriority(run->m_hThread.get(), THREAD_PRIORITY_NORMAL);
    ::ResumeThread(run->m_hThread.get());
}

void UpdateEngine::Stop() {
    if (!m_pUpdateRun)
        return;
    const std::shared_ptr<UpdateRun> run = std::move(m_pUpdateRun);
    run->m_pStop->Stop();
    if (run->m_hThread)
        ::WaitForSingleObject(run->m_hThread.get(), kStopWaitMs);
    run->m_hThread.reset();
    m_bUpdating = false;
}

HandOver UpdateEngine::HandOverAtLogin(HWND owner) const {
    // Uncounted, it is still worth the try: the next run hands over only
    // what it can count.
    return HandOverToLobby(Base::ProgramFolder(), owner, Uncounted::StartAnyway);
}

void UpdateEngine::OnAttemptBegun() {
    m_view.EnableLoginButtons(false);
    m_bUpdating = true;
    m_bReplacePlazaUpdate = false;
    m_bUpdateFinished = false;
}

void UpdateEngine::OnAttemptCounted(unsigned attempt) {
    if (m_nUpdateAttempt < attempt)
        m_nUpdateAttempt = attempt;
}

void UpdateEngine::OnReady(const std::string& state) {
    m_bUpdateFinished = true;
    m_bUpdating = false;
    m_view.ShowAllFileProgress(100, true);
    m_view.ShowUpdateState(state);
    if (!m_view.ArmAutoLogon())
        m_view.EnableLoginButtons(true);
}

void UpdateEngine::OnRunFailed() {
    m_bUpdating = false;
    m_view.ShowMessage("");
    m_view.EnableRepair();
}
