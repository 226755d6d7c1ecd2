#include "tests/app/LauncherTestWindow.h"

#include "app/WebBrowserExUI.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/markup/DialogBuilder.h"

std::string TestSkinMarkup(const char* windowAttributes) {
    return std::string("<Window size=\"400,320\" ") + windowAttributes +
           R"(>
<VerticalLayout>
  <HorizontalLayout height="40">
    <Label name="Title" text="Vedu" />
    <Button name="MinWindow" width="30" text="_" />
    <Button name="CloseWindow" width="30" text="x" />
  </HorizontalLayout>
  <TabLayout name="LogonRegister">
    <VerticalLayout>
      <TabLayout name="LogonTab" height="90">
        <VerticalLayout>
          <Combo name="Account" height="24" />
          <Edit name="LogonAccount" height="24" />
          <Edit name="PassWord" height="24" password="true" />
        </VerticalLayout>
        <VerticalLayout><Label name="Partner" text="partner" /></VerticalLayout>
      </TabLayout>
      <HorizontalLayout height="24">
        <Option name="SavePassWord" text="save" />
        <Option name="AutoLogon" text="auto" />
        <Option name="NxLogon" group="kind" text="own" />
        <Option name="RimbaLogon" group="kind" text="partner" />
      </HorizontalLayout>
      <HorizontalLayout height="24">
        <Option name="LogonLineAuto" group="line" text="auto" />
        <Option name="LogonLine0" group="line" text="0" />
        <Option name="LogonLine1" group="line" text="1" />
        <Option name="LogonLine2" group="line" text="2" />
      </HorizontalLayout>
      <HorizontalLayout height="24">
        <Button name="Logon" text="logon" />
        <Button name="Register" text="register" />
        <Button name="RestoreUpdate" text="repair" />
        <Button name="again" text="again" visible="false" />
        <Button name="cancel" text="cancel" />
      </HorizontalLayout>
      <HorizontalLayout height="24">
        <Button name="QQLogon" text="qq" />
        <Button name="RegisterTop" text="join" />
        <Button name="Clear" text="clear" />
        <Button name="Line0" text="l0" />
        <Button name="Line1" text="l1" />
        <Button name="Line2" text="l2" />
      </HorizontalLayout>
    </VerticalLayout>
    <VerticalLayout><Label name="RegisterPage" text="web" /></VerticalLayout>
  </TabLayout>
</VerticalLayout>
</Window>)";
}

LauncherTestWindow::LauncherTestWindow(std::string markup) : m_sMarkup(std::move(markup)) {
    // The program's folder is the test's folder, as the launcher's start sets it.
    SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    Create(nullptr, "Vedu", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 100, 100, 400, 320);
}

LauncherTestWindow::~LauncherTestWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    TakeQuitMessage();
}

LRESULT LauncherTestWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_CREATE)
        return CPlazaUpdateWnd::HandleMessage(msg, wParam, lParam);
    // The skin and the control pointers as the window's own creation sets
    // them; no web pages and no worker threads.
    GetUiQueue()->SetTarget(m_hWnd);
    m_Manager.AttachWindow(m_hWnd);
    SkinUI::CDialogBuilder builder;
    CDialogBuilderCallbackEx callback;
    m_Manager.AttachRoot(
        builder.BuildFromMarkup(m_sMarkup.c_str(), nullptr, &callback, &m_Manager));
    m_Manager.AddNotifier(this);
    m_pAccountCombo = Control<SkinUI::CComboUI>("Account");
    m_pAccountEdit = Control<SkinUI::CEditUI>("LogonAccount");
    m_pPasswordEdit = Control<SkinUI::CEditUI>("PassWord");
    return 0;
}

void LauncherTestWindow::SendNotify(const char* type, const char* senderName) {
    SkinUI::TNotifyMsg msg;
    msg.sType = type;
    msg.pSender = m_Manager.FindControl(senderName);
    Notify(msg);
}

namespace {
bool g_quitSeen = false;
}  // namespace

void PumpMessages(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                g_quitSeen = true;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}

bool TakeQuitMessage() {
    MSG msg;
    bool quit = g_quitSeen;
    g_quitSeen = false;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        quit = true;
    return quit;
}
