// The saved logins in the window: the account drop list, the account and
// password boxes and the options that follow a saved login. The registry
// itself is login/AccountStore's. The remember-password and auto-logon
// options carry the names of the values they mirror.
#include "app/ControlLookup.h"
#include "app/PlazaUpdateWnd.h"
#include "launcher_settings.h"
#include "login/AccountKeys.h"
#include "login/AccountStore.h"
#include "ui/controls/Button.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/controls/ListElement.h"
#include "ui/controls/Option.h"

using namespace SkinUI;

namespace {

constexpr char kDeleteButtonAttributes[] =
    "name=\"delete\" text=\"清除\" visible=\"false\" tooltip=\"清除账号\" width=\"35\" "
    "textcolor=\"#FF0000FF\" hottextcolor=\"#FFFF0000\"";

// A drop-list row: the account name, a filler and the delete button that the
// row shows while the mouse is over it.
CListLabelElementUI* MakeAccountRow(const std::string& account) {
    auto* row = new CListLabelElementUI;
    row->SetText(account.c_str());
    row->Add(new CControlUI);
    auto* deleteButton = new CButtonUI;
    deleteButton->ApplyAttributeList(kDeleteButtonAttributes);
    row->Add(deleteButton);
    return row;
}

void SetSelectedIfPresent(COptionUI* option, bool selected) {
    if (option)
        option->SetSelected(selected);
}

void SetTextIfPresent(CControlUI* control, const std::string& text) {
    if (control)
        control->SetText(text.c_str());
}

// A saved flag: when it counts, the option of its name follows it. False when
// it does not count.
bool ApplySavedFlag(const CWindowManagerUI& manager, const char* name,
                    const std::optional<bool>& saved) {
    if (!saved)
        return false;
    SetSelectedIfPresent(FindControlAs<COptionUI>(manager, name), *saved);
    return *saved;
}

// An option's state, empty when the skin has no such option.
std::optional<bool> OptionState(const CWindowManagerUI& manager, const char* name) {
    if (const auto* option = FindControlAs<COptionUI>(manager, name))
        return option->IsSelected();
    return std::nullopt;
}

}  // namespace

void CPlazaUpdateWnd::ApplySavedServerLine(DWORD line) {
    m_nServerLine = static_cast<int>(line);
    m_sServerAddr = settings::kServerAddr;
    const std::string optionName = "LogonLine" + std::to_string(line);
    SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, optionName.c_str()), true);
}

void CPlazaUpdateWnd::ApplySavedOptions(const accounts::SavedOptions& saved) {
    if (saved.server)
        ApplySavedServerLine(*saved.server);

    m_bAutoLogon = ApplySavedFlag(m_Manager, accounts::kAutoLogon, saved.autoLogon);

    if (saved.autoSelectServer) {
        m_bAutoSelectServer = *saved.autoSelectServer;
        if (m_bAutoSelectServer) {
            SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, "LogonLineAuto"), true);
        }
    }

    m_bSavePassword = ApplySavedFlag(m_Manager, accounts::kSavePassword, saved.savePassword);
}

void CPlazaUpdateWnd::SetLoginBoxesEnabled(bool enabled) {
    for (CControlUI* box :
         {static_cast<CControlUI*>(m_pAccountCombo), static_cast<CControlUI*>(m_pAccountEdit),
          static_cast<CControlUI*>(m_pPasswordEdit)}) {
        if (box)
            box->SetEnabled(enabled);
    }
}

void CPlazaUpdateWnd::LoadSavedAccounts() {
    if (const auto last = accounts::ReadLastLogon()) {
        if (!last->sAccount.empty())
            SetTextIfPresent(m_pAccountEdit, last->sAccount);
        if (last->bHasPassword) {
            SetTextIfPresent(m_pPasswordEdit, last->sPassword);
            SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword),
                                 true);
        }
        ApplySavedOptions(last->options);
        if (m_bAutoLogon && m_bSavePassword) {
            // Auto-logon with a saved password: the update's end logs in.
            SetLoginBoxesEnabled(false);
        }
    }
    for (const std::string& name : accounts::ListAccounts()) {
        if (m_pAccountCombo)
            m_pAccountCombo->Add(MakeAccountRow(name));
    }
}

void CPlazaUpdateWnd::LoadAccountSettings() {
    std::string name;
    if (m_pAccountCombo) {
        if (CControlUI* entry = m_pAccountCombo->GetItemAt(m_pAccountCombo->GetCurSel())) {
            name = entry->GetText();
        }
    }
    if (name.empty()) {
        SetTextIfPresent(m_pPasswordEdit, "");
        return;
    }
    auto* savePassword = FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword);
    SetSelectedIfPresent(savePassword, false);

    const auto account = accounts::ReadAccount(name);
    if (!account)
        return;
    SetTextIfPresent(m_pPasswordEdit, account->sPassword);
    if (!account->sPassword.empty())
        SetSelectedIfPresent(savePassword, true);
    ApplySavedOptions(account->options);
}

void CPlazaUpdateWnd::SelectFirstAccountOrClear() {
    if (m_pAccountCombo && m_pAccountCombo->GetCount() > 0) {
        // The list reports "itemselect", which fills the boxes from the entry.
        m_pAccountCombo->SelectItem(0, false);
    } else if (m_pAccountEdit && m_pPasswordEdit) {
        m_pAccountEdit->SetText("");
        m_pPasswordEdit->SetText("");
    }
}

void CPlazaUpdateWnd::RemoveAccount(CControlUI* deleteButton) {
    if (!m_pAccountCombo || !deleteButton || !deleteButton->GetParent())
        return;
    const std::string name = deleteButton->GetParent()->GetText();
    int found = -1;
    for (int i = 0; i < m_pAccountCombo->GetCount() && found < 0; ++i) {
        if (m_pAccountCombo->GetItemAt(i)->GetText() == name)
            found = i;
    }
    if (found < 0)
        return;
    m_pAccountCombo->RemoveAt(found);
    accounts::DeleteAccount(name);
    if (m_pAccountEdit)
        m_pAccountEdit->SetFocus();
    SelectFirstAccountOrClear();
}

void CPlazaUpdateWnd::ClearAccount() {
    const std::string name = m_pAccountEdit ? m_pAccountEdit->GetText() : std::string();
    if (!name.empty() && accounts::DeleteAccount(name)) {
        for (int i = m_pAccountCombo ? m_pAccountCombo->GetCount() - 1 : -1; i >= 0; --i) {
            if (m_pAccountCombo->GetItemAt(i)->GetText() == name)
                m_pAccountCombo->RemoveAt(i);
        }
    }
    if (accounts::ForgetLastLogon()) {
        SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword), false);
        SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kAutoLogon), false);
    }
    if (m_pAccountEdit)
        m_pAccountEdit->SetFocus();
    SelectFirstAccountOrClear();
}

void CPlazaUpdateWnd::SaveLogonAccount(const std::string& account, const std::string& password) {
    accounts::LogonToSave logon;
    logon.sAccount = account;
    logon.sPassword = password;
    logon.savePassword = OptionState(m_Manager, accounts::kSavePassword);
    logon.autoLogon = OptionState(m_Manager, accounts::kAutoLogon);
    logon.nServerLine = m_nServerLine;
    logon.bAutoSelectServer = m_bAutoSelectServer;
    accounts::SaveLogon(logon);
}
