// The pages' way back into the real launcher window, after a real update run
// against the loopback mirror, through the real browser control: "app:"
// navigations of "LogonWeb", and window.external calls played by the JScript
// and VBScript engines against "RegisterWeb", down to the stand-in lobby's
// recorded login. Each browser shows one of the operator's pages first, as
// the launcher's own requests put them there.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <string>

#include "app/WebBrowserExUI.h"
#include "launcher_settings.h"
#include "tests/app/ScriptHost.h"
#include "tests/login/LobbyFixture.h"
#include "tests/ui/browser/BrowserTestSupport.h"
#include "tests/update/support/MirrorFixture.h"
#include "ui/controls/Edit.h"
#include "ui/layout/TabLayout.h"

using namespace SkinUI;

namespace {

const char kStamp[] = "20261207stamp0000001";

// The launcher's test skin with its browsers: "RegisterWeb" on the second
// page of "LogonRegister", "LogonWeb" floated, 1x1 and hidden.
std::string SkinWithBrowsers() {
    std::string skin = TestSkinMarkup();
    const std::string page = "<VerticalLayout><Label name=\"RegisterPage\" text=\"web\" />";
    skin.replace(skin.find(page), page.size(),
                 "<VerticalLayout><WebBrowserEx name=\"RegisterWeb\" />"
                 "<WebBrowserEx name=\"LogonWeb\" float=\"true\" pos=\"0,0,1,1\" "
                 "visible=\"false\" />");
    return skin;
}

}  // namespace

class PageCommands : public LobbyFixture {
protected:
    void SetUp() override {
        LobbyFixture::SetUp();
        m_window = std::make_unique<LauncherTestWindow>(SkinWithBrowsers());
        // What the window's initialisation does for its browsers, and the
        // operator's pages in them.
        RegisterWeb()->SetMainWindow(m_window->GetHWND());
        LogonWeb()->SetEventHandler(m_window.get());
        ShowPage(LogonWeb(), settings::kHostService);
        ShowPage(RegisterWeb(), settings::kHostRegister);
        // Line 0, empty boxes, and an update run that finishes: the
        // installation is current, so one request to the mirror ends it.
        Prepare(*m_window, "", "");
        mirror::ClearFaults();
        mirror::WriteFile(mirror::InstallDir() + "ver.ini", kStamp);
        mirror::PublishVersion("2.5.0", kStamp);
        RunUpdate();
        ASSERT_TRUE(m_window->m_Engine.m_bUpdateFinished);
    }

    // Starts an update run and pumps until it has ended.
    void RunUpdate() {
        m_window->m_Engine.UseMirrors(mirror::Url());
        m_window->m_Engine.Start();
        const DWORD start = ::GetTickCount();
        while (m_window->m_Engine.m_bUpdating && ::GetTickCount() - start < 30000)
            PumpMessages(10);
    }
    void TearDown() override {
        m_window.reset();
        LobbyFixture::TearDown();
    }

    CWebBrowserExUI* RegisterWeb() { return m_window->Control<CWebBrowserExUI>("RegisterWeb"); }
    CWebBrowserExUI* LogonWeb() { return m_window->Control<CWebBrowserExUI>("LogonWeb"); }
    CTabLayoutUI* Pages() { return m_window->Control<CTabLayoutUI>("LogonRegister"); }

    // Navigates a browser and lets it deliver BeforeNavigate2, which may come
    // from the message loop after Navigate returned.
    static void ShowPage(CWebBrowserExUI* browser, const char* url, DWORD pumpMs = 300) {
        ASSERT_TRUE(browser->Navigate(url));
        PumpMessages(pumpMs);
    }
    // The operator's page in "LogonWeb" navigates to `url`. (A page that
    // navigated is gone: the browser goes on to the URL it asked for.)
    void NavigateLogonWeb(const char* url, DWORD pumpMs = 300) {
        ShowPage(LogonWeb(), settings::kHostService, 0);
        ShowPage(LogonWeb(), url, pumpMs);
    }

    Base::ComPtr<IDispatch> External(CWebBrowserExUI* browser) {
        Base::ComPtr<IDispatch> external;
        EXPECT_EQ(browser->GetExternal(external.put()), S_OK);
        return external;
    }

    std::unique_ptr<LauncherTestWindow> m_window;
};

TEST_F(PageCommands, RegisterAndCancelSwitchThePages) {
    NavigateLogonWeb("app:register");
    EXPECT_EQ(Pages()->GetCurSel(), 1);
    NavigateLogonWeb("app:cancel");
    EXPECT_EQ(Pages()->GetCurSel(), 0);
}

TEST_F(PageCommands, LogonResultWithAnErrorCodeShowsTheMessageOnly) {
    m_window->m_pAccountEdit->SetText("abc");
    m_window->m_pPasswordEdit->SetText("pw");
    ScriptHost script(External(RegisterWeb()).get());
    EXPECT_EQ(script.Run(L"external.LogonResult(\"3\", \"\x8D26\x53F7\x4E0D\x5B58\x5728\");"),
              S_OK);  // 账号不存在
    const auto shown = m_boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].sCaption, "提示");
    EXPECT_EQ(shown[0].sText, "账号不存在");
    EXPECT_EQ(LobbyParameters(500), "<none>");
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(PageCommands, CallsThatDoNotFitTheirMethodChangeNothing) {
    // Any login attempt would show the empty-box check.
    Pages()->SelectItem(1);
    ScriptHost script(External(RegisterWeb()).get());
    EXPECT_TRUE(FAILED(script.Run(L"external.logonresult(\"0\", \"\");")));
    EXPECT_TRUE(FAILED(script.Run(L"external.LOGONLOBBY(\"a\", \"b\");")));
    // Objects are not read (that would run the page's code meanwhile), and
    // null has no text.
    for (const wchar_t* call :
         {L"external.LogonResult(\"0\");", L"external.LogonResult(\"0\", \"\", \"x\");",
          L"external.LogonResult({toString: function() { return \"0\"; }}, \"\");",
          L"external.LogonLobby(\"a\", null);", L"external.RegisterCancel(\"x\");",
          L"var f = external.LogonResult;"}) {
        script.Run(call);
    }
    EXPECT_EQ(Pages()->GetCurSel(), 1);
    // A page in a browser without a target window reaches nobody.
    ScriptHost logonPage(External(LogonWeb()).get());
    logonPage.Run(L"external.LogonResult(\"0\", \"\"); external.RegisterCancel();");
    EXPECT_EQ(Pages()->GetCurSel(), 1);

    // Only the null interface identifier is accepted.
    auto external = External(RegisterWeb());
    VARIANT args[2];
    for (VARIANT& arg : args) {
        ::VariantInit(&arg);
        V_VT(&arg) = VT_BSTR;
        V_BSTR(&arg) = nullptr;
    }
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(external->Invoke(CWebBrowserExUI::kLogonResult, IID_IDispatch, 0, DISPATCH_METHOD,
                               &params, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    // Arguments counted but not given.
    DISPPARAMS missing = {nullptr, nullptr, 2, 0};
    EXPECT_EQ(external->Invoke(CWebBrowserExUI::kLogonResult, IID_NULL, 0, DISPATCH_METHOD,
                               &missing, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(LobbyParameters(300), "<none>");

    // The one call that fits still works.
    EXPECT_EQ(script.Run(L"external.RegisterCancel();"), S_OK);
    EXPECT_EQ(Pages()->GetCurSel(), 0);
}

TEST_F(PageCommands, NothingFromAPageActsWhileALoginRuns) {
    // The player's login finds no lobby and shows its failure box; while that
    // box runs its own message loop, the lobby is back and the page tries
    // every command it has.
    ASSERT_TRUE(::DeleteFileA(Here("Lobby.exe").c_str()));
    m_window->m_pAccountEdit->SetText("player");
    m_window->m_pPasswordEdit->SetText("pw");
    Pages()->SelectItem(1);
    bool loginRunning = true;
    bool ranDuringLogin = false;
    m_window->PostToUi([&] {
        ranDuringLogin = loginRunning;
        ASSERT_TRUE(::CopyFileA(LAUNCHER_LOBBY_EXE, Here("Lobby.exe").c_str(), FALSE));
        NavigateLogonWeb("app:page&&pw2");
        ScriptHost script(External(RegisterWeb()).get());
        script.Run(L"external.LogonLobby(\"page\", \"pw3\");");
        script.Run(L"external.LogonResult(\"0\", \"\");");
        script.Run(L"external.LogonResult(\"5\", \"x\");");
        script.Run(L"external.RegisterCancel();");
        NavigateLogonWeb("app:cancel");
    });
    m_window->SendNotify("return", "PassWord");
    loginRunning = false;

    EXPECT_TRUE(ranDuringLogin);
    EXPECT_TRUE(m_window->LoginUnderway());
    EXPECT_EQ(m_boxes.Texts(), std::vector<std::string>{"大厅启动失败!"});
    EXPECT_EQ(LobbyParameters(1000), "<none>");
    EXPECT_EQ(m_window->m_pAccountEdit->GetText(), "player");
    EXPECT_EQ(Pages()->GetCurSel(), 1);
    EXPECT_FALSE(HasKey(kLast));
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(PageCommands, ScriptsArgumentsAreReadAsTextAsTheScriptWouldShowThem) {
    // A number is its digits: error code 3 shows the message.
    ScriptHost script(External(RegisterWeb()).get());
    EXPECT_EQ(script.Run(L"external.LogonResult(3, 404);"), S_OK);
    ASSERT_EQ(m_boxes.Texts(), std::vector<std::string>{"404"});
    // VBScript hands its variables over by reference.
    Pages()->SelectItem(1);
    ScriptHost vbscript(External(RegisterWeb()).get(), ScriptHost::Language::VBScript);
    ASSERT_TRUE(vbscript.IsReady());
    EXPECT_EQ(vbscript.Run(L"Dim account, password\n"
                           L"account = \"vb01\"\n"
                           L"password = 42\n"
                           L"external.LogonLobby account, password\n"),
              S_OK);
    EXPECT_EQ(Pages()->GetCurSel(), 0);
    EXPECT_EQ(LobbyParameters(), "-Update_Over 0 0 4 2 15 vb01 42 192.168.100.200");
}

TEST_F(PageCommands, OnlyTheTopLevelPageOfAnOperatorHostCommands) {
    const auto none = [this] {
        EXPECT_EQ(m_window->m_pAccountEdit->GetText(), "");
        EXPECT_EQ(Pages()->GetCurSel(), 1);
        EXPECT_TRUE(m_boxes.Boxes().empty());
    };
    Pages()->SelectItem(1);
    // A frame of the operator's page: the browser names the frame's own
    // browser object, which is neither of the launcher's.
    Base::ComPtr<IDispatch> frame;
    ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 frame.put_void()),
              S_OK);
    for (const wchar_t* command : {L"app:player01&&pw 1", L"app:cancel"}) {
        VARIANT url, empty;
        ::VariantInit(&empty);
        V_VT(&url) = VT_BSTR;
        V_BSTR(&url) = ::SysAllocString(command);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT cancelArg;
        V_VT(&cancelArg) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&cancelArg) = &cancel;
        EXPECT_EQ(FireEvent(LogonWeb(), DISPID_BEFORENAVIGATE2,
                            {Dispatch(frame.get()), ByRef(&url), ByRef(&empty), ByRef(&empty),
                             ByRef(&empty), ByRef(&empty), cancelArg}),
                  S_OK);
        ::VariantClear(&url);
    }
    none();

    // A top-level page of another host: another port, another host.
    for (const char* foreign : {"http://127.0.0.1:18082/service/", "http://localhost:18081/"}) {
        ShowPage(LogonWeb(), foreign, 0);
        ShowPage(LogonWeb(), "app:player01&&pw 1");
        ShowPage(RegisterWeb(), foreign);
        ScriptHost script(External(RegisterWeb()).get());
        EXPECT_EQ(script.Run(L"external.LogonLobby(\"player01\", \"pw 1\");"
                             L"external.LogonResult(\"0\", \"\");"
                             L"external.RegisterCancel();"),
                  S_OK);
        none();
    }
    EXPECT_EQ(LobbyParameters(300), "<none>");

    // Back on the operator's host, the same page commands again.
    ShowPage(RegisterWeb(), settings::kHostRegister);
    ScriptHost script(External(RegisterWeb()).get());
    EXPECT_EQ(script.Run(L"external.RegisterCancel();"), S_OK);
    EXPECT_EQ(Pages()->GetCurSel(), 0);
}
