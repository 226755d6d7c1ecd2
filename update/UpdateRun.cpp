#include "update/UpdateRun.h"

#include "app/PlazaUpdateWnd.h"

UpdateRun::UpdateRun(CPlazaUpdateWnd& wnd, std::string builtInMirror)
    : m_pWnd(&wnd),
      m_hWnd(wnd.GetHWND()),
      m_pQueue(wnd.GetUiQueue()),
      m_pStop(std::make_shared<StopSignal>()),
      m_bForceCheck(wnd.m_bForceCheck.load()),
      m_nUpdateAttempt(wnd.m_nUpdateAttempt.load()),
      m_Store(wnd.m_UpdateStore),
      m_sMirrors{wnd.m_sMirrorUrl3, std::move(builtInMirror), wnd.m_sMirrorUrl2} {
    m_Store.SetStopSignal(m_pStop);
}

void UpdateRun::Post(std::function<void(CPlazaUpdateWnd&)> fn) {
    m_pQueue->Post([self = shared_from_this(), fn = std::move(fn)] {
        if (self->m_pWnd->m_pUpdateRun.get() == self.get())
            fn(*self->m_pWnd);
    });
}

void UpdateRun::PostAttempt(unsigned attempt) {
    m_pQueue->Post([wnd = m_pWnd, attempt] {
        if (wnd->m_nUpdateAttempt < attempt)
            wnd->m_nUpdateAttempt = attempt;
    });
}
