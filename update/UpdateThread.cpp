// Starting and stopping the update thread. A stop never kills the thread: it
// sets the run's stop token, closes the run's internet handles, waits at most
// 100 ms and then lets the thread end on its own. From that moment the old
// run's posts are dropped (it is no longer the window's current run), so a
// late thread changes nothing.
#include <windows.h>
#include <process.h>

#include "app/PlazaUpdateWnd.h"
#include "launcher_settings.h"
#include "update/UpdateRun.h"
#include "update/UpdateThread.h"

namespace {

constexpr DWORD kStopWaitMs = 100;

unsigned __stdcall UpdateThreadEntry(void* param) {
    // The thread owns one reference to its run for its whole life.
    std::unique_ptr<std::shared_ptr<UpdateRun>> owned(
        static_cast<std::shared_ptr<UpdateRun>*>(param));
    const std::shared_ptr<UpdateRun> run = *owned;
    try {
        UpdateThreadProc(run);
        // The window keeps what this run learnt for the next one.
        run->Post([store = run->m_Store](CPlazaUpdateWnd& w) { w.m_UpdateStore = store; });
    } catch (...) {
        ::MessageBoxA(nullptr, "", nullptr, MB_OK);
    }
    return 0;
}

}  // namespace

void StartUpdateRun(CPlazaUpdateWnd& wnd, const std::string& builtInMirror) {
    wnd.StopUpdateThread();
    auto run = std::make_shared<UpdateRun>(wnd, builtInMirror);
    wnd.m_pUpdateRun = run;
    // From here a login or a Cancel must see a running update, not wait for
    // the new thread's first post to say so.
    wnd.m_bUpdating = true;
    wnd.m_bUpdateFinished = false;
    auto* param = new std::shared_ptr<UpdateRun>(run);
    const uintptr_t thread =
        ::_beginthreadex(nullptr, 0, UpdateThreadEntry, param, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete param;
        wnd.m_pUpdateRun.reset();
        wnd.m_bUpdating = false;
        return;
    }
    run->m_hThread.reset(reinterpret_cast<HANDLE>(thread));
    ::SetThreadPriority(run->m_hThread.get(), THREAD_PRIORITY_NORMAL);
    ::ResumeThread(run->m_hThread.get());
}

void CPlazaUpdateWnd::StartUpdateThread() {
    StartUpdateRun(*this, settings::kMirrorUrl);
}

void CPlazaUpdateWnd::StopUpdateThread() {
    if (!m_pUpdateRun)
        return;
    const std::shared_ptr<UpdateRun> run = std::move(m_pUpdateRun);
    run->m_pStop->Stop();
    if (run->m_hThread)
        ::WaitForSingleObject(run->m_hThread.get(), kStopWaitMs);
    run->m_hThread.reset();
    m_bUpdating = false;
}
