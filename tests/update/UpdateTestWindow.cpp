#include "UpdateTestWindow.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/Messages.h"
#include "ui/controls/Button.h"
#include "ui/controls/Label.h"
#include "ui/controls/Progress.h"
#include "ui/markup/DialogBuilder.h"
#include "update/UpdateRun.h"
#include "update/UpdateThread.h"

namespace {

class RecordingLabel : public SkinUI::CLabelUI {
public:
    void SetText(const char* text) override {
        m_history.push_back(text);
        CLabelUI::SetText(text);
    }
    std::vector<std::string> m_history;
};

class RecordingFactory : public SkinUI::IDialogBuilderCallback {
public:
    SkinUI::CControlUI* CreateControl(const char* className) override {
        return std::string(className) == "RecordingLabel" ? new RecordingLabel : nullptr;
    }
};

constexpr char kSkin[] = R"(<Window size="400,300"><VerticalLayout>
  <RecordingLabel name="UpdateState" height="20" />
  <Label name="PlazaVer" height="20" />
  <RecordingLabel name="CurInfo" height="20" />
  <Progress name="CurFileProgress" height="10" />
  <Progress name="AllFileProgress" height="10" />
  <Label name="UpdateFileInfo0" height="20" />
  <Label name="UpdateFileInfo1" height="20" />
  <Label name="UpdateFileInfo2" height="20" />
  <HorizontalLayout height="24">
    <Button name="Logon" text="logon" />
    <Button name="Register" text="register" />
    <Button name="RestoreUpdate" text="repair" />
  </HorizontalLayout>
</VerticalLayout></Window>)";

}  // namespace

UpdateTestWindow::UpdateTestWindow() {
    // The unsigned protocol; the tests of signed releases set their own keys.
    m_UpdateStore.m_vReleaseKeys.clear();
    Create(nullptr, "Vedu", WS_POPUP, 0, 0, 0, 400, 300);
}

UpdateTestWindow::~UpdateTestWindow() {
    StopUpdateThread();
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

LRESULT UpdateTestWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_QUIT_LAUNCHER) {
        m_bQuitRequested = true;
        return 0;
    }
    if (msg == WM_TIMER && wParam == TIMER_AUTO_LOGON) {
        // What the expiry starts belongs to the login; here it only counts.
        m_bAutoLogonFired = true;
        ::KillTimer(m_hWnd, TIMER_AUTO_LOGON);
        return 0;
    }
    if (msg != WM_CREATE)
        return CPlazaUpdateWnd::HandleMessage(msg, wParam, lParam);
    GetUiQueue()->SetTarget(m_hWnd);
    m_Manager.AttachWindow(m_hWnd);
    SkinUI::CDialogBuilder builder;
    RecordingFactory factory;
    m_Manager.AttachRoot(builder.BuildFromMarkup(kSkin, nullptr, &factory, &m_Manager));
    return 0;
}

void UpdateTestWindow::Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

void UpdateTestWindow::RunUpdate(const std::string& builtInMirror, DWORD timeoutMs) {
    StartUpdateRun(*this, builtInMirror);
    const std::shared_ptr<UpdateRun> run = m_pUpdateRun;
    ASSERT_TRUE(run);
    const bool ended = PumpUntil(
        [&] { return ::WaitForSingleObject(run->m_hThread.get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    ASSERT_TRUE(ended) << "the update run did not end";
    Pump(50);
}

std::string UpdateTestWindow::Text(const char* name) const {
    SkinUI::CControlUI* control = m_Manager.FindControl(name);
    return control ? control->GetText() : "<missing>";
}

bool UpdateTestWindow::IsEnabled(const char* name) const {
    SkinUI::CControlUI* control = m_Manager.FindControl(name);
    return control && control->IsEnabled();
}

int UpdateTestWindow::ProgressValue(const char* name) const {
    auto* bar = dynamic_cast<SkinUI::CProgressUI*>(m_Manager.FindControl(name));
    return bar ? bar->GetValue() : -1;
}

std::vector<std::string> UpdateTestWindow::StateHistory() const {
    return static_cast<RecordingLabel*>(m_Manager.FindControl("UpdateState"))->m_history;
}

std::vector<std::string> UpdateTestWindow::InfoHistory() const {
    return static_cast<RecordingLabel*>(m_Manager.FindControl("CurInfo"))->m_history;
}

void UpdateTestWindow::ClearHistory() {
    static_cast<RecordingLabel*>(m_Manager.FindControl("UpdateState"))->m_history.clear();
    static_cast<RecordingLabel*>(m_Manager.FindControl("CurInfo"))->m_history.clear();
}
