#include "update/UpdateRun.h"

#include "update/UpdateView.h"

namespace {

// Nothing assigns the alternate mirrors. Left empty they would make every
// attempt that picks one fail at once, so "again" or the repair button right
// after a first run would never reach a server; the built-in mirror stands in.
std::string MirrorOr(const std::string& alternate, const std::string& builtIn) {
    return alternate.empty() ? builtIn : alternate;
}

}  // namespace

UpdateRun::UpdateRun(UpdateView& view, std::string builtInMirror)
    : m_pView(&view),
      m_hOwner(view.GetOwnerWindow()),
      m_pPoster(view.GetUiPoster()),
      m_pStop(std::make_shared<StopSignal>()),
      m_bForceCheck(view.m_bForceCheck),
      m_nUpdateAttempt(view.m_nUpdateAttempt),
      m_Store(view.m_UpdateStore),
      m_sMirrors{MirrorOr(view.m_sMirrorUrl3, builtInMirror), builtInMirror,
                 MirrorOr(view.m_sMirrorUrl2, builtInMirror)} {
    m_Store.SetStopSignal(m_pStop);
}

void UpdateRun::Post(std::function<void(UpdateView&)> fn) {
    m_pPoster->Post([self = shared_from_this(), fn = std::move(fn)] {
        if (self->m_pView->m_pUpdateRun.get() == self.get())
            fn(*self->m_pView);
    });
}

void UpdateRun::PostState(const std::string& text) {
    Post([text](UpdateView& v) {
        v.m_sUpdateState = text;
        v.ShowUpdateState(text);
    });
}

void UpdateRun::PostCurInfo(const std::string& text) {
    Post([text](UpdateView& v) {
        v.m_sCurInfo = text;
        v.ShowCurInfo(text);
    });
}

void UpdateRun::PostAttempt(unsigned attempt) {
    m_pPoster->Post([view = m_pView, attempt] {
        if (view->m_nUpdateAttempt < attempt)
            view->m_nUpdateAttempt = attempt;
    });
}
