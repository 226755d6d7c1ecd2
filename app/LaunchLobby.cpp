// The login: the launcher hands account, password and server to the lobby on
// its command line, remembers the login and quits. A login that would not
// reach the lobby whole is refused before anything starts.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "app/ControlLookup.h"
#include "app/LauncherConstants.h"
#include "app/PlazaUpdateWnd.h"
#include "base/LobbyInterface.h"
#include "launcher_settings.h"
#include "login/AccountKeys.h"
#include "login/AccountStore.h"
#include "login/LobbyCommandLine.h"
#include "login/ServerLine.h"
#include "ui/controls/Button.h"
#include "ui/controls/Edit.h"
#include "ui/controls/Option.h"

using namespace SkinUI;

namespace {

constexpr char kInputCaption[] = "提 示";
constexpr char kNextTime[] = "本次照常登录，下次登录时请重新填写帐号和密码。";

// A page can put more into a box than the keyboard can; the box's limit
// counts bytes, as the lobby's lengths do.
bool ExceedsBox(const CEditUI* box) {
    return box && box->GetText().size() > box->GetMaxChar();
}

std::string TooLongText(const char* what, const CEditUI& box) {
    return std::string(what) + "不能超过" + std::to_string(box.GetMaxChar()) +
           "个字符（一个汉字算两个字符），请重新填写。";
}

}  // namespace

void CPlazaUpdateWnd::LaunchLobby() {
    // One login at a time: a message box below runs a message loop of its
    // own, in which pages and timers may ask for another.
    if (LoginUnderway())
        return;
    // Only between update runs: a run may still replace the lobby's files.
    if (!m_Engine.IsReadyForLogin())
        return;

    if (!m_pAccountEdit || m_pAccountEdit->GetText().empty()) {
        ::MessageBoxA(m_hWnd, "您还没有填写登录帐号！", kInputCaption, MB_ICONERROR);
        if (m_pAccountEdit)
            m_pAccountEdit->SetFocus();
        return;
    }
    if (m_pPasswordEdit && m_pPasswordEdit->GetText().empty()) {
        ::MessageBoxA(m_hWnd, "您还没有填写登录密码！", kInputCaption, MB_ICONERROR);
        m_pPasswordEdit->SetFocus();
        return;
    }
    for (CEditUI* box : {m_pAccountEdit, m_pPasswordEdit}) {
        if (ExceedsBox(box)) {
            const char* what = box == m_pAccountEdit ? "登录帐号" : "登录密码";
            ::MessageBoxA(m_hWnd, TooLongText(what, *box).c_str(), kInputCaption, MB_ICONERROR);
            box->SetFocus();
            return;
        }
    }

    const std::string account = m_pAccountEdit->GetText();
    const std::string password = m_pPasswordEdit ? m_pPasswordEdit->GetText() : std::string();
    // A new launcher waiting is handed over instead of the login.
    const bool handOver = m_Engine.IsLauncherWaiting();
    std::string parameters;
    if (!handOver) {
        SelectLoginServer();
        const auto login = FormatUpdateOverParameters(
            LobbyLogin{m_nServerLine, m_bPartnerLogon, account, password, m_sServerAddr});
        if (!login) {
            ::MessageBoxA(m_hWnd, "登录信息太长，大厅无法接收，请缩短帐号或密码后重试。",
                          kInputCaption, MB_ICONERROR);
            m_pAccountEdit->SetFocus();
            return;
        }
        parameters = *login;
    }

    m_bLoginUnderway = true;
    if (auto* logon = FindControlAs<CButtonUI>(m_Manager, "Logon"))
        logon->SetEnabled(false);
    if (!m_bPartnerLogon)
        ExplainUnrememberedAccount(account);

    bool started = false;
    if (handOver) {
        started = m_Engine.HandOverAtLogin(m_hWnd) == HandOver::Started;
    } else {
        const std::string lobby = LobbyProgramPath(CWindowManagerUI::GetModuleDirectory());
        started = reinterpret_cast<INT_PTR>(::ShellExecuteA(
                      m_hWnd, "open", lobby.c_str(), parameters.c_str(), "", SW_SHOWNORMAL)) >= 32;
    }
    if (!started) {
        ::MessageBoxA(m_hWnd, "大厅启动失败!", kMessageCaption, MB_OK);
    } else if (!m_bPartnerLogon) {
        SaveLogonAccount(account, password);
    }
    ::PostQuitMessage(0);
}

void CPlazaUpdateWnd::ExplainUnrememberedAccount(const std::string& account) {
    // Told before the lobby starts, so that its window cannot hide the box.
    std::string reason;
    switch (accounts::CheckAccountKeyName(account)) {
        case accounts::AccountKeyName::Fits:
            return;
        case accounts::AccountKeyName::NotAKeyName:
            reason = "帐号中含有“\\”，启动器无法记住这个帐号。\n";
            break;
        case accounts::AccountKeyName::TooLong:
            reason = "帐号超过" + std::to_string(accounts::kMaxAccountKeyChars) +
                     "个字符（一个汉字算两个字符），启动器无法记住这个帐号。\n";
            break;
    }
    ::MessageBoxA(m_hWnd, (reason + kNextTime).c_str(), kInputCaption, MB_ICONINFORMATION);
}

void CPlazaUpdateWnd::SelectLoginServer() {
    const auto* automatic = FindControlAs<COptionUI>(m_Manager, "LogonLineAuto");
    const ServerChoice choice =
        ChooseLoginServer(automatic && automatic->IsSelected(), {m_nServerLine, m_sServerAddr},
                          m_vServerList, m_vServerList2, settings::kServerAddr, std::rand());
    m_nServerLine = choice.nServerLine;
    m_sServerAddr = choice.sServerAddr;
}
