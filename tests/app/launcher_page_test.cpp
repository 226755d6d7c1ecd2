// The whole launcher as its start makes it: the real window class created
// the way WinMain creates it, so its own creation builds the shipped skin
// and runs InitLauncherWindow (the browsers' wiring, the statistics page, the
// update run against the built-in mirror, the resolver). Then the operator's
// pages command it as a page would: an "app:" navigation of the statistics
// page, and the validation page's LogonResult played by the JScript engine
// against the real window, each down to the stand-in lobby.
#include <gtest/gtest.h>

#include <mshtmhst.h>

#include <string>

#include "app/LauncherConstants.h"
#include "app/WebBrowserExUI.h"
#include "launcher_settings.h"
#include "tests/app/ScriptHost.h"
#include "tests/login/LobbyFixture.h"
#include "tests/ui/browser/BrowserTestSupport.h"
#include "tests/ui/support/SkinHost.h"
#include "tests/update/support/MirrorFixture.h"
#include "ui/controls/Edit.h"

using namespace SkinUI;

namespace {

const char kStamp[] = "20261207stamp0000002";

// The message loop of the launcher's start (keys go through the toolkit
// first), for a while; true when the launcher asked to quit meanwhile.
bool RunMessageLoop(DWORD milliseconds) {
    bool quit = false;
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
            } else if (!CWindowManagerUI::TranslateUIMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
    return quit;
}

}  // namespace

class WholeLauncher : public LobbyFixture {
protected:
    void SetUp() override {
        LobbyFixture::SetUp();
        // The launcher updates from its built-in mirror, which the test run
        // serves; the installation is current.
        ASSERT_EQ(mirror::Url(), settings::kMirrorUrl);
        mirror::ClearFaults();
        mirror::WriteFile(mirror::InstallDir() + "ver.ini", kStamp);
        mirror::PublishVersion("2.5.0", kStamp);
        uitest::UseBuiltSkin();
        auto* window = new CPlazaUpdateWnd;
        m_hWnd = window->Create(nullptr, kLauncherTitle, kLauncherStyle, 0);
        ASSERT_NE(m_hWnd, nullptr);
        m_window = window;
        const DWORD start = ::GetTickCount();
        while (!m_window->m_Engine.m_bUpdateFinished && ::GetTickCount() - start < 30000)
            RunMessageLoop(10);
        ASSERT_TRUE(m_window->m_Engine.m_bUpdateFinished);
    }
    void TearDown() override {
        // The window deletes itself when it is destroyed.
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        RunMessageLoop(0);
        LobbyFixture::TearDown();
    }

    template <typename T>
    T* Control(const char* name) const {
        return dynamic_cast<T*>(m_window->m_Manager.FindControl(name));
    }

    // window.external as the browser asks its site for it. Each answer
    // carries exactly one new reference, which the caller releases.
    Base::ComPtr<IDispatch> External(const char* browserName) {
        auto ui =
            SiteOf<IDocHostUIHandler>(Control<CWebBrowserExUI>(browserName), IID_IDocHostUIHandler);
        Base::ComPtr<IDispatch> external;
        Base::ComPtr<IDispatch> again;
        EXPECT_EQ(ui->GetExternal(external.put()), S_OK);
        const ULONG references = external->AddRef() - 1;
        external->Release();
        EXPECT_EQ(ui->GetExternal(again.put()), S_OK);
        EXPECT_EQ(again->AddRef() - 1, references + 1);
        again->Release();
        again.reset();
        EXPECT_EQ(external->AddRef() - 1, references);
        external->Release();
        return external;
    }

    CPlazaUpdateWnd* m_window = nullptr;
    HWND m_hWnd = nullptr;
};

TEST_F(WholeLauncher, TheStatisticsPagesAppNavigationLogsIn) {
    // What the page's script does with location = "app:...".
    ASSERT_TRUE(Control<CWebBrowserExUI>("LogonWeb")->Navigate("app:player01&&pw 1"));
    const bool quit = RunMessageLoop(300);
    EXPECT_EQ(m_window->m_pAccountEdit->GetText(), "player01");
    // Line 0 and the address the resolver found for the built-in host name.
    EXPECT_EQ(LobbyParameters(), "-Update_Over 0 0 8 4 9 player01 pw 1 127.0.0.1");
    EXPECT_TRUE(quit);
}

TEST_F(WholeLauncher, TheValidationPagesLogonResultLogsIn) {
    m_window->m_pAccountEdit->SetText("player02");
    m_window->m_pPasswordEdit->SetText("pw 2");
    // The player clicks the login button, which shows the validation page.
    const RECT button = Control<CControlUI>("Logon")->GetPos();
    const LPARAM at =
        MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    ::SendMessageA(m_hWnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageA(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(m_hWnd, WM_LBUTTONUP, 0, at);
    RunMessageLoop(300);
    EXPECT_EQ(LobbyParameters(300), "<none>");
    // The page answers that the login may proceed.
    ScriptHost page(External("RegisterWeb").get());
    ASSERT_TRUE(page.IsReady());
    EXPECT_EQ(page.Run(L"external.LogonResult(\"0\", \"\");"), S_OK);
    EXPECT_EQ(LobbyParameters(), "-Update_Over 0 0 8 4 9 player02 pw 2 127.0.0.1");
    EXPECT_TRUE(RunMessageLoop(0));
}
