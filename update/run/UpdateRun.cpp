#include "update/run/UpdateRun.h"

#include "update/run/UiPoster.h"
#include "update/run/UpdateEngine.h"

namespace {

// An alternate left empty would make every attempt that picks it fail at
// once, so "again" or the repair button right after a first run would never
// reach a server; the built-in mirror stands in.
std::string MirrorOr(const std::string& alternate, const std::string& builtIn) {
    return alternate.empty() ? builtIn : alternate;
}

}  // namespace

UpdateRun::UpdateRun(UpdateEngine& engine, std::shared_ptr<UiPoster> poster, HWND owner,
                     bool forceCheck, unsigned attempts, const CUpdateStore& store,
                     const RunMirrors& mirrors)
    : m_hOwner(owner),
      m_pStop(std::make_shared<StopSignal>()),
      m_bForceCheck(forceCheck),
      m_nUpdateAttempt(attempts),
      m_Store(store),
      m_pEngine(&engine),
      m_pPoster(std::move(poster)),
      m_sMirrors{MirrorOr(mirrors.third, mirrors.builtIn), mirrors.builtIn,
                 MirrorOr(mirrors.second, mirrors.builtIn)} {
    m_Store.SetStopSignal(m_pStop);
}

void UpdateRun::PostToEngine(std::function<void(UpdateEngine&)> fn) {
    m_pPoster->Post([self = shared_from_this(), fn = std::move(fn)] {
        if (self->m_pEngine->CurrentRun().get() == self.get())
            fn(*self->m_pEngine);
    });
}

void UpdateRun::Post(std::function<void(UpdateView&)> fn) {
    PostToEngine([fn = std::move(fn)](UpdateEngine& engine) { fn(engine.View()); });
}

void UpdateRun::PostCurInfo(const std::string& text) {
    Post([text](UpdateView& v) { v.ShowCurInfo(text); });
}

void UpdateRun::PostAttempt(unsigned attempt) {
    m_pPoster->Post([engine = m_pEngine, attempt] { engine->OnAttemptCounted(attempt); });
}
