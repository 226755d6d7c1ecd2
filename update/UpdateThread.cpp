#include "update/UpdateThread.h"

#include <windows.h>
#include <process.h>

#include "update/UpdateRun.h"
#include "update/UpdateView.h"

namespace {

constexpr DWORD kStopWaitMs = 100;

unsigned __stdcall UpdateThreadEntry(void* param) {
    // The thread owns one reference to its run for its whole life.
    std::unique_ptr<std::shared_ptr<UpdateRun>> owned(
        static_cast<std::shared_ptr<UpdateRun>*>(param));
    const std::shared_ptr<UpdateRun> run = *owned;
    try {
        UpdateThreadProc(run);
        // The view keeps what this run learnt for the next one.
        run->Post([store = run->m_Store](UpdateView& v) { v.m_UpdateStore = store; });
    } catch (...) {
        ::MessageBoxA(nullptr, "", nullptr, MB_OK);
    }
    return 0;
}

}  // namespace

void StartUpdateRun(UpdateView& view, const std::string& builtInMirror) {
    StopUpdateRun(view);
    auto run = std::make_shared<UpdateRun>(view, builtInMirror);
    view.m_pUpdateRun = run;
    // From here a login or a Cancel must see a running update, not wait for
    // the new thread's first post to say so.
    view.m_bUpdating = true;
    view.m_bUpdateFinished = false;
    auto* param = new std::shared_ptr<UpdateRun>(run);
    const uintptr_t thread =
        ::_beginthreadex(nullptr, 0, UpdateThreadEntry, param, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete param;
        view.m_pUpdateRun.reset();
        view.m_bUpdating = false;
        return;
    }
    run->m_hThread.reset(reinterpret_cast<HANDLE>(thread));
    ::SetThreadPriority(run->m_hThread.get(), THREAD_PRIORITY_NORMAL);
    ::ResumeThread(run->m_hThread.get());
}

void StopUpdateRun(UpdateView& view) {
    if (!view.m_pUpdateRun)
        return;
    const std::shared_ptr<UpdateRun> run = std::move(view.m_pUpdateRun);
    run->m_pStop->Stop();
    if (run->m_hThread)
        ::WaitForSingleObject(run->m_hThread.get(), kStopWaitMs);
    run->m_hThread.reset();
    view.m_bUpdating = false;
}
