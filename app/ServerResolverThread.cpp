// The resolver thread. It runs once and never touches the window: it resolves
// a copy of the host name and hands the finished address to the UI thread
// through the window's queue. A login before that closure has run simply uses
// the address the field holds at that moment, and a resolver that finishes
// after the window is gone has its result dropped by the queue.
#include <windows.h>

#include <process.h>

#include <cstdlib>
#include <memory>

#include "app/PlazaUpdateWnd.h"
#include "launcher_settings.h"
#include "login/ServerResolver.h"

namespace {

struct ResolverJob {
    std::string sHost;
    std::vector<std::string> vFallbacks;
    // Drawn on the UI thread, where the process's generator was seeded.
    int nRandom = 0;
    std::shared_ptr<UiQueue> pQueue;
    CPlazaUpdateWnd* pWindow = nullptr;
};

unsigned __stdcall ResolverThread(void* argument) {
    std::unique_ptr<ResolverJob> job(static_cast<ResolverJob*>(argument));
    try {
        std::string address =
            ResolveServerAddress(job->sHost, job->vFallbacks, settings::kServerAddr, job->nRandom);
        CPlazaUpdateWnd* window = job->pWindow;
        job->pQueue->Post(
            [window, address = std::move(address)] { window->m_sServerAddr = address; });
    } catch (...) {
        // Out of memory: the window keeps the address it has.
    }
    return 0;
}

}  // namespace

void CPlazaUpdateWnd::StartResolverThread() {
    auto job = std::make_unique<ResolverJob>();
    job->sHost = m_sServerHost;
    job->vFallbacks = m_vServerList;
    job->nRandom = std::rand();
    job->pQueue = m_pUiQueue;
    job->pWindow = this;
    const uintptr_t thread =
        ::_beginthreadex(nullptr, 0, ResolverThread, job.get(), CREATE_SUSPENDED, nullptr);
    if (!thread)
        return;
    job.release();
    m_hResolverThread.reset(reinterpret_cast<HANDLE>(thread));
    ::SetThreadPriority(m_hResolverThread.get(), THREAD_PRIORITY_NORMAL);
    ::ResumeThread(m_hResolverThread.get());
}
