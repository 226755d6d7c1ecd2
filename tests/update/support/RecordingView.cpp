#include "tests/update/support/RecordingView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <mutex>

#include "base/Handles.h"
#include "update/run/UiPoster.h"
#include "update/run/UpdateRun.h"

// The posts of a run, run by the test thread when it pumps. Once its view is
// gone it drops everything, which also frees the runs its closures hold.
class PostQueue : public UiPoster {
public:
    PostQueue() : m_hPosted(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

    void Post(std::function<void()> fn) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bDetached)
            return;
        m_pending.push_back(std::move(fn));
        ::SetEvent(m_hPosted.get());
    }

    // Waits up to ms for a post, then runs everything posted so far.
    void RunPending(DWORD ms) {
        ::WaitForSingleObject(m_hPosted.get(), ms);
        for (;;) {
            std::function<void()> fn;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_pending.empty())
                    return;
                fn = std::move(m_pending.front());
                m_pending.pop_front();
            }
            fn();
        }
    }

    void Detach() {
        std::deque<std::function<void()>> dropped;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDetached = true;
        dropped.swap(m_pending);
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_pending;
    bool m_bDetached = false;
    Base::UniqueKernelHandle m_hPosted;
};

RecordingView::RecordingView()
    : m_pQueue(std::make_shared<PostQueue>()), engine(*this, m_pQueue, std::string()) {
    // The unsigned protocol; the tests of signed releases set their own keys.
    engine.Store().m_vReleaseKeys.clear();
}

RecordingView::~RecordingView() {
    engine.Stop();
    m_pQueue->Detach();
}

void RecordingView::Start(const std::string& builtInMirror, const std::string& mirror2) {
    engine.UseMirrors(builtInMirror, mirror2);
    engine.Start();
}

void RecordingView::RunUpdate(const std::string& builtInMirror, const std::string& mirror2,
                              DWORD timeoutMs) {
    Start(builtInMirror, mirror2);
    const std::shared_ptr<UpdateRun> run = engine.CurrentRun();
    ASSERT_TRUE(run);
    const bool ended = PumpUntil(
        [&] { return ::WaitForSingleObject(run->m_hThread.get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    ASSERT_TRUE(ended) << "the update run did not end";
    // The thread's last post came before it ended.
    m_pQueue->RunPending(0);
}

void RecordingView::Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        m_pQueue->RunPending(5);
    } while (::GetTickCount() - start < ms);
}

void RecordingView::ClearHistory() {
    states.clear();
    infos.clear();
}

void RecordingView::ShowUpdateState(const std::string& text) {
    shown.state = text;
    states.push_back(text);
}

void RecordingView::ShowCurInfo(const std::string& text) {
    shown.info = text;
    infos.push_back(text);
}

void RecordingView::ShowRecentFiles(const std::vector<std::string>& names) {
    // Labels past the names keep what they showed.
    if (shown.recentFiles.size() < names.size())
        shown.recentFiles.resize(names.size());
    std::copy(names.begin(), names.end(), shown.recentFiles.begin());
}

void RecordingView::ShowAllFileProgress(int percent, bool withText) {
    shown.allFiles = percent;
    allFilesShown.push_back(percent);
    if (withText)
        shown.allFilesLabel = percent;
}

void RecordingView::EnableLoginButtons(bool enabled) {
    shown.login = enabled;
    shown.repair = enabled;
}

bool RecordingView::ArmAutoLogon() {
    shown.autoLogonArmed = wantsAutoLogon;
    return wantsAutoLogon;
}
