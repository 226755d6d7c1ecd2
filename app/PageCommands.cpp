// The pages' way back into the launcher: "app:" navigations, read before the
// browser goes on with them, and the three script calls that arrive as page
// messages. Page text comes as UTF-16 and is read in the thread's ANSI code
// page, the one the program compares and shows. A navigation commands only
// when the top-level page of LogonWeb or RegisterWeb makes it, on one of the
// operator's hosts: not a frame inside it, such as an advertisement.
#include <cstdlib>
#include <string>

#include "app/ControlLookup.h"
#include "app/LauncherConstants.h"
#include "app/PageTrust.h"
#include "app/PlazaUpdateWnd.h"
#include "pages/AppCommand.h"
#include "ui/controls/Edit.h"
#include "ui/layout/TabLayout.h"

using namespace SkinUI;

namespace {

std::string ToAnsi(const wchar_t* text) {
    if (!text)
        return std::string();
    const int bytes =
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return std::string();
    std::string result(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes - 1));
    return result;
}

// True when `frame`, the browser object of the frame that navigates, is the
// top-level one of LogonWeb or RegisterWeb, and that browser's page is on an
// operator host.
bool IsFromOwnPage(const CWindowManagerUI& manager, IDispatch* frame) {
    constexpr char kCommand[] = "app: command";
    for (const char* name : {"LogonWeb", "RegisterWeb"}) {
        const auto* browser = FindControlAs<CWebBrowserUI>(manager, name);
        if (browser && browser->IsTopLevel(frame))
            return ShowsOperatorPage(*browser, kCommand);
    }
    ReportIgnoredCommand(kCommand,
                         "a frame or another browser made it, not the top-level page of "
                         "LogonWeb or RegisterWeb");
    return false;
}

}  // namespace

void CPlazaUpdateWnd::BeforeNavigate2(IDispatch* disp, VARIANT* url, VARIANT*, VARIANT*, VARIANT*,
                                      VARIANT*, VARIANT_BOOL*) {
    if (LoginUnderway())
        return;
    if (!url || V_VT(url) != VT_BSTR || !V_BSTR(url))
        return;
    const AppCommand command = ParseAppCommand(ToAnsi(V_BSTR(url)));
    if (command.kind == AppCommandKind::None || !IsFromOwnPage(m_Manager, disp))
        return;
    switch (command.kind) {
        case AppCommandKind::Register:
            OpenRegisterPage();
            break;
        case AppCommandKind::Cancel:
            if (auto* pages = FindControlAs<CTabLayoutUI>(m_Manager, "LogonRegister"))
                pages->SelectItem(0);
            break;
        case AppCommandKind::Logon:
            if (!m_pAccountEdit || !m_pPasswordEdit)
                break;
            FillLogonBoxes(command.account, command.password);
            LaunchLobby();
            break;
        case AppCommandKind::None:
            break;
    }
}

void CPlazaUpdateWnd::OpenRegisterPage() {
    if (!m_Engine.IsReadyForLogin())
        return;
    ShowRegisterPage();
    if (auto* pages = FindControlAs<CTabLayoutUI>(m_Manager, "LogonRegister"))
        pages->SelectItem(1);
}

void CPlazaUpdateWnd::FillLogonBoxes(const std::string& account, const std::string& password) {
    if (m_pAccountEdit)
        m_pAccountEdit->SetText(account.c_str());
    if (m_pPasswordEdit)
        m_pPasswordEdit->SetText(password.c_str());
}

void CPlazaUpdateWnd::ReturnToLogonPage() {
    auto* pages = FindControlAs<CTabLayoutUI>(m_Manager, "LogonRegister");
    if (pages && pages->GetCurSel() != 0)
        pages->SelectItem(0);
}

void CPlazaUpdateWnd::OnLogonLobby(const wchar_t* account, const wchar_t* password) {
    if (LoginUnderway())
        return;
    ReturnToLogonPage();
    FillLogonBoxes(ToAnsi(account), ToAnsi(password));
    LaunchLobby();
}

void CPlazaUpdateWnd::OnLogonResult(const wchar_t* code, const wchar_t* text) {
    if (LoginUnderway())
        return;
    // atoi: a code that is no number counts as 0, success.
    if (std::atoi(ToAnsi(code).c_str()) == 0) {
        LaunchLobby();
        return;
    }
    ::MessageBoxA(m_hWnd, ToAnsi(text).c_str(), kMessageCaption, MB_ICONERROR);
}
