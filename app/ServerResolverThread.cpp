// The server-address resolver and the login-time choice of line and address.
//
// The resolver runs once on its own thread and never touches the window: it
// resolves a copy of the host name and hands the finished address to the UI
// thread through PostToUi. A login before that closure has run simply uses
// the address the field holds at that moment, and a resolver that finishes
// after the window is gone has its result dropped by the queue.
#include <winsock2.h>
#include <windows.h>

#include <process.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/ControlLookup.h"
#include "app/PlazaUpdateWnd.h"
#include "launcher_settings.h"
#include "login/ServerLine.h"
#include "ui/controls/Option.h"

namespace {

struct ResolverJob {
    std::string sHost;
    std::vector<std::string> vFallbacks;
    // Drawn on the UI thread, where the process's generator was seeded.
    int nRandom = 0;
    std::shared_ptr<UiQueue> pQueue;
    CPlazaUpdateWnd* pWindow = nullptr;
};

uint32_t LookUpHost(const std::string& host) {
    uint32_t value = ::inet_addr(host.c_str());
    if (value == INADDR_NONE) {
        if (const hostent* entry = ::gethostbyname(host.c_str())) {
            if (entry->h_addr_list && entry->h_addr_list[0]) {
                std::memcpy(&value, entry->h_addr_list[0], sizeof(value));
            }
        }
    }
    return value;
}

unsigned __stdcall ResolverThread(void* argument) {
    std::unique_ptr<ResolverJob> job(static_cast<ResolverJob*>(argument));
    try {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        std::string address = ResolvedServerAddress(LookUpHost(job->sHost), job->vFallbacks,
                                                    settings::kServerAddr, job->nRandom);
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

void CPlazaUpdateWnd::SelectLoginServer() {
    const auto* automatic = FindControlAs<SkinUI::COptionUI>(m_Manager, "LogonLineAuto");
    const ServerChoice choice =
        ChooseLoginServer(automatic && automatic->IsSelected(), {m_nServerLine, m_sServerAddr},
                          m_vServerList, m_vServerList2, settings::kServerAddr, std::rand());
    m_nServerLine = choice.nServerLine;
    m_sServerAddr = choice.sServerAddr;
}
