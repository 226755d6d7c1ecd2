// Control notifications driven through Notify: the type order and its letter
// case, the window buttons, the login pages, the options and Cancel.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "tests/app/LauncherTestWindow.h"
#include "ui/controls/Button.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/controls/ListElement.h"
#include "ui/controls/Option.h"
#include "ui/layout/TabLayout.h"

using namespace SkinUI;

TEST(NotifyDispatch, TypesMatchExactlyExceptSelectChanged) {
    LauncherTestWindow window;
    window.m_bPartnerLogon = true;
    window.SendNotify("SeLeCtChAnGeD", "NxLogon");
    EXPECT_FALSE(window.m_bPartnerLogon);

    window.SendNotify("Click", "CloseWindow");
    window.SendNotify("CLICK", "Line2");
    window.SendNotify("Return", "PassWord");
    PumpMessages(50);
    EXPECT_FALSE(TakeQuitMessage());
    EXPECT_EQ(window.m_nServerLine, 0);

    // Names are exact too.
    window.SendNotify("click", "closewindow");
    EXPECT_FALSE(TakeQuitMessage());
}

TEST(NotifyDispatch, CloseWindowLeavesTheWebPageFirstAndFollowsTheLoginTab) {
    LauncherTestWindow window;
    auto* pages = window.Control<CTabLayoutUI>("LogonRegister");
    auto* logonTab = window.Control<CTabLayoutUI>("LogonTab");
    window.SendNotify("click", "QQLogon");
    EXPECT_EQ(pages->GetCurSel(), 1);
    EXPECT_TRUE(window.m_bPartnerLogon);

    // Back from the QQ page to the launcher's own login form.
    window.SendNotify("click", "CloseWindow");
    EXPECT_EQ(pages->GetCurSel(), 0);
    EXPECT_FALSE(window.m_bPartnerLogon);
    EXPECT_FALSE(TakeQuitMessage());

    window.SendNotify("selectchanged", "RimbaLogon");
    EXPECT_EQ(logonTab->GetCurSel(), 1);
    EXPECT_TRUE(window.m_bPartnerLogon);

    window.SendNotify("selectchanged", "NxLogon");
    EXPECT_EQ(logonTab->GetCurSel(), 0) << "the own-account page comes back with its option";
    EXPECT_FALSE(window.m_bPartnerLogon);
    window.SendNotify("selectchanged", "RimbaLogon");

    window.SendNotify("click", "CloseWindow");
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_TRUE(window.m_bPartnerLogon);
}

TEST(NotifyDispatch, RegisterWaitsForTheUpdate) {
    LauncherTestWindow window;
    auto* pages = window.Control<CTabLayoutUI>("LogonRegister");
    window.m_Engine.m_bUpdateFinished = true;
    window.m_Engine.m_bUpdating = true;
    window.SendNotify("click", "Register");
    EXPECT_EQ(pages->GetCurSel(), 0);
    window.m_Engine.m_bUpdating = false;
    window.SendNotify("click", "RegisterTop");
    EXPECT_EQ(pages->GetCurSel(), 1);

    window.SendMessage(WM_REGISTER_CANCEL);
    EXPECT_EQ(pages->GetCurSel(), 0);
}

TEST(NotifyDispatch, OptionsAreReadBeforeTheClickChangesThem) {
    LauncherTestWindow window;
    auto* save = window.Control<COptionUI>("SavePassWord");
    window.m_bSavePassword = true;
    window.SendNotify("click", "SavePassWord");
    EXPECT_FALSE(window.m_bSavePassword);
    save->SetSelected(true);
    window.SendNotify("click", "SavePassWord");
    EXPECT_TRUE(window.m_bSavePassword);

    // Ticking auto-logon changes nothing at once.
    auto* autoLogon = window.Control<COptionUI>("AutoLogon");
    window.m_bAutoLogon = true;
    window.m_Engine.m_bUpdateFinished = true;
    window.m_pAccountEdit->SetEnabled(false);
    window.SendNotify("click", "AutoLogon");
    EXPECT_TRUE(window.m_bAutoLogon);
    EXPECT_FALSE(window.m_pAccountEdit->IsEnabled());

    // Unticking cancels the pending login and gives the inputs back.
    autoLogon->SetSelected(true);
    ::SetTimer(window.GetHWND(), TIMER_AUTO_LOGON, 60000, nullptr);
    window.Control<CButtonUI>("Logon")->SetEnabled(false);
    window.m_pAccountCombo->SetEnabled(false);
    window.m_pPasswordEdit->SetEnabled(false);
    window.SendNotify("click", "AutoLogon");
    EXPECT_FALSE(window.m_bAutoLogon);
    EXPECT_FALSE(::KillTimer(window.GetHWND(), TIMER_AUTO_LOGON));
    EXPECT_TRUE(window.Control<CButtonUI>("Logon")->IsEnabled());
    EXPECT_TRUE(window.m_pAccountCombo->IsEnabled());
    EXPECT_TRUE(window.m_pAccountEdit->IsEnabled());
    EXPECT_TRUE(window.m_pPasswordEdit->IsEnabled());

    // While an update runs the inputs stay as they are.
    window.m_bAutoLogon = true;
    window.m_Engine.m_bUpdating = true;
    window.m_pAccountEdit->SetEnabled(false);
    window.SendNotify("click", "AutoLogon");
    EXPECT_FALSE(window.m_bAutoLogon);
    EXPECT_FALSE(window.m_pAccountEdit->IsEnabled());
}

TEST(NotifyDispatch, EnterMovesToThePasswordAndPickingAnAccountFillsTheBox) {
    LauncherTestWindow window;
    window.SendNotify("return", "LogonAccount");
    EXPECT_EQ(window.m_Manager.GetFocus(), window.m_pPasswordEdit);

    auto* row = new CListLabelElementUI;
    row->SetText("picked");
    window.m_pAccountCombo->Add(row);
    window.m_pAccountCombo->SelectItem(0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "picked");
    // No saved key for it: the password box is left as it was, the remember
    // option is cleared.
    window.Control<COptionUI>("SavePassWord")->SetSelected(true);
    window.SendNotify("itemselect", "Account");
    EXPECT_FALSE(window.Control<COptionUI>("SavePassWord")->IsSelected());
}

TEST(NotifyDispatch, CancelQuitsWhenIdleAndRetriesWhenAgainIsShown) {
    LauncherTestWindow window;
    auto* again = window.Control<CButtonUI>("again");
    auto* cancel = window.Control<CButtonUI>("cancel");
    ASSERT_FALSE(again->IsVisible());

    window.SendNotify("click", "cancel");
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_TRUE(again->IsVisible());
    EXPECT_FALSE(cancel->IsVisible());

    // With "again" shown, cancel starts a new run instead of quitting.
    window.SendNotify("click", "cancel");
    EXPECT_FALSE(TakeQuitMessage());
    EXPECT_FALSE(again->IsVisible());
    EXPECT_TRUE(cancel->IsVisible());
    window.StopUpdateThread();
}

namespace {

// A loopback port that takes connections into its backlog and never answers,
// so an update run stays in its first request.
class SilentServer {
public:
    SilentServer() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::listen(m_socket, 8);
        int size = sizeof(addr);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&addr), &size);
        m_port = ntohs(addr.sin_port);
    }
    ~SilentServer() { ::closesocket(m_socket); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/vedu/"; }

private:
    SOCKET m_socket;
    int m_port = 0;
};

}  // namespace

TEST(NotifyDispatch, CancelDuringARunStopsItAndKeepsTheWindow) {
    SilentServer mirror;
    LauncherTestWindow window;
    window.m_Engine.UseMirrors(mirror.Url());
    window.m_Engine.Start();
    for (int i = 0; i < 100 && !window.m_Engine.m_bUpdating; ++i)
        PumpMessages(20);
    ASSERT_TRUE(window.m_Engine.m_bUpdating);

    window.SendNotify("click", "cancel");
    EXPECT_FALSE(window.m_Engine.m_bUpdating);
    EXPECT_FALSE(window.m_Engine.CurrentRun());
    EXPECT_TRUE(window.Control<CButtonUI>("again")->IsVisible());
    EXPECT_FALSE(window.Control<CButtonUI>("cancel")->IsVisible());
    PumpMessages(100);
    EXPECT_FALSE(TakeQuitMessage());
    EXPECT_FALSE(window.m_Engine.m_bUpdating);
}
