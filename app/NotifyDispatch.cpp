// Every control notification of the launcher window: the type decides the
// table ("click", "itemselect", "selectchanged" in any letter case, "return"),
// the sender's exact name the row.
#include <windows.h>

#include <string>

#include "app/ControlLookup.h"
#include "app/Messages.h"
#include "app/PlazaUpdateWnd.h"
#include "login/AccountKeys.h"
#include "ui/controls/Button.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/controls/Option.h"
#include "ui/layout/TabLayout.h"

using namespace SkinUI;

namespace {

// "Line0".."Line2" or "LogonLine0".."LogonLine2": the fixed line, else -1.
int FixedLineOf(const std::string& name, const char* prefix) {
    const std::string p(prefix);
    if (name.size() != p.size() + 1 || name.compare(0, p.size(), p) != 0)
        return -1;
    const char digit = name.back();
    return digit >= '0' && digit <= '2' ? digit - '0' : -1;
}

void ShowIfPresent(CControlUI* control, bool visible) {
    if (control)
        control->SetVisible(visible);
}

}  // namespace

void CPlazaUpdateWnd::Notify(TNotifyMsg& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType == "click") {
        OnClick(name, msg.pSender);
    } else if (msg.sType == "itemselect") {
        OnItemSelect(name);
    } else if (::lstrcmpiA(msg.sType.c_str(), "selectchanged") == 0) {
        OnSelectChanged(name);
    } else if (msg.sType == "return") {
        OnReturn(name);
    }
}

void CPlazaUpdateWnd::OnClick(const std::string& name, CControlUI* sender) {
    // The buttons that only call one of the window's own steps.
    static constexpr struct {
        const char* name;
        void (CPlazaUpdateWnd::*step)();
    } kSteps[] = {
        {"again", &CPlazaUpdateWnd::Retry},
        {"cancel", &CPlazaUpdateWnd::Cancel},
        {"Logon", &CPlazaUpdateWnd::ShowValidationPage},
        {"Register", &CPlazaUpdateWnd::OpenRegisterPage},
        {"RegisterTop", &CPlazaUpdateWnd::OpenRegisterPage},
        {"Clear", &CPlazaUpdateWnd::ClearAccount},
        {"AutoLogon", &CPlazaUpdateWnd::ToggleAutoLogon},
    };
    for (const auto& row : kSteps) {
        if (name == row.name) {
            (this->*row.step)();
            return;
        }
    }
    if (ChooseServerLine(name, "Line"))
        return;
    if (name == "CloseWindow") {
        if (auto* pages = FindControlAs<CTabLayoutUI>(m_Manager, "LogonRegister")) {
            if (auto* logonTab = FindControlAs<CTabLayoutUI>(m_Manager, "LogonTab")) {
                m_bPartnerLogon = logonTab->GetCurSel() != 0;
            }
            if (pages->GetCurSel() != 0) {
                pages->SelectItem(0);
                return;
            }
        }
        ::PostQuitMessage(0);
    } else if (name == "MinWindow") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    } else if (name == accounts::kSavePassword) {
        // A click arrives before the option changes: this is the old state.
        if (auto* option = FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword)) {
            m_bSavePassword = option->IsSelected();
        }
    } else if (name == "RestoreUpdate") {
        m_Engine.ForceCheck();
        StartUpdateThread();
    } else if (name == "QQLogon") {
        if (auto* pages = FindControlAs<CTabLayoutUI>(m_Manager, "LogonRegister")) {
            pages->SelectItem(1);
        }
        ShowQQLogonPage();
        m_bPartnerLogon = true;
    } else if (name == "delete") {
        if (m_pAccountCombo)
            RemoveAccount(sender);
    } else {
        OpenServiceLink(name);
    }
}

void CPlazaUpdateWnd::OnItemSelect(const std::string& name) {
    if (name == "Account") {
        if (m_pAccountCombo && m_pAccountEdit) {
            m_pAccountEdit->SetText(m_pAccountCombo->GetText().c_str());
        }
        LoadAccountSettings();
    } else if (name == "LogonLineAuto") {
        m_bAutoSelectServer = true;
    }
}

void CPlazaUpdateWnd::OnSelectChanged(const std::string& name) {
    if (name == "NxLogon") {
        // Bring the own-account page back, so the cleared partner flag keeps
        // matching the page the player sees.
        if (auto* logonTab = FindControlAs<CTabLayoutUI>(m_Manager, "LogonTab")) {
            logonTab->SelectItem(0);
        }
        m_bPartnerLogon = false;
    } else if (name == "RimbaLogon") {
        if (auto* logonTab = FindControlAs<CTabLayoutUI>(m_Manager, "LogonTab")) {
            logonTab->SelectItem(1);
        }
        m_bPartnerLogon = true;
    } else {
        ChooseServerLine(name, "LogonLine");
    }
}

bool CPlazaUpdateWnd::ChooseServerLine(const std::string& name, const char* fixedPrefix) {
    if (name == "LogonLineAuto") {
        m_bAutoSelectServer = true;
        return true;
    }
    const int line = FixedLineOf(name, fixedPrefix);
    if (line < 0)
        return false;
    m_bAutoSelectServer = false;
    m_nServerLine = line;
    return true;
}

void CPlazaUpdateWnd::OnReturn(const std::string& name) {
    if (name == "PassWord") {
        if (m_pPasswordEdit && m_pPasswordEdit->IsEnabled())
            LaunchLobby();
    } else if (name == "LogonAccount") {
        if (m_pPasswordEdit)
            m_pPasswordEdit->SetFocus();
    }
}

void CPlazaUpdateWnd::Retry() {
    ShowIfPresent(m_Manager.FindControl("cancel"), true);
    ShowIfPresent(m_Manager.FindControl("again"), false);
    StartUpdateThread();
}

void CPlazaUpdateWnd::Cancel() {
    CControlUI* again = m_Manager.FindControl("again");
    if (again && again->IsVisible()) {
        Retry();
        return;
    }
    ShowIfPresent(again, true);
    ShowIfPresent(m_Manager.FindControl("cancel"), false);
    if (m_Engine.IsUpdating() && m_Engine.CurrentRun()) {
        // The run ends; the window stays and "again" offers a new one.
        StopUpdateThread();
    } else {
        ::PostQuitMessage(0);
    }
}

void CPlazaUpdateWnd::ToggleAutoLogon() {
    // Read before the click changes it: selected means auto-logon goes off.
    auto* option = FindControlAs<COptionUI>(m_Manager, accounts::kAutoLogon);
    if (!option || !option->IsSelected())
        return;
    m_bAutoLogon = false;
    ::KillTimer(m_hWnd, TIMER_AUTO_LOGON);
    if (!m_Engine.IsReadyForLogin())
        return;
    EnableLoginButtons(true);
    SetLoginBoxesEnabled(true);
}
