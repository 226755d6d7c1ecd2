#include "update/UpdateRun.h"

#include "app/PlazaUpdateWnd.h"

namespace {

// Nothing assigns the alternate mirrors. Left empty they would make every
// attempt that picks one fail at once, so "again" or the repair button right
// after a first run would never reach a server; the built-in mirror stands in.
std::string MirrorOr(const std::string& alternate, const std::string& builtIn) {
    return alternate.empty() ? builtIn : alternate;
}

}  // namespace

UpdateRun::UpdateRun(CPlazaUpdateWnd& wnd, std::string builtInMirror)
    : m_pWnd(&wnd),
      m_hWnd(wnd.GetHWND()),
      m_pQueue(wnd.GetUiQueue()),
      m_pStop(std::make_shared<StopSignal>()),
      m_bForceCheck(wnd.m_bForceCheck),
      m_nUpdateAttempt(wnd.m_nUpdateAttempt),
      m_Store(wnd.m_UpdateStore),
      m_sMirrors{MirrorOr(wnd.m_sMirrorUrl3, builtInMirror), builtInMirror,
                 MirrorOr(wnd.m_sMirrorUrl2, builtInMirror)} {
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
