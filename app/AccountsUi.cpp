// The saved logins: the last login and one key per remembered account under
// HKEY_CURRENT_USER. Passwords are stored only as scrambled hex text. The
// remember-password option is the skin's "SavePassWord" wherever the store
// reads or sets it.
#include <windows.h>

#include "app/ControlLookup.h"
#include "app/PlazaUpdateWnd.h"
#include "identity/HexCodec.h"
#include "launcher_settings.h"
#include "login/AccountKeys.h"
#include "login/RegistryKey.h"
#include "ui/controls/Button.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/controls/ListElement.h"
#include "ui/controls/Option.h"

using namespace SkinUI;
using Base::UniqueKey;

namespace {

// Subkey names are listed with room for the longest name the registry allows.
// The account box takes 32 characters (more bytes in a double-byte code
// page), and a name that did not fit would end the listing, hiding every
// saved account after it.
constexpr DWORD kAccountNameChars = 256;
// A restored last-login password may use the whole string buffer; a picked
// account's password is at most 32 characters.
constexpr size_t kLastLogonPasswordCapacity = 256;
constexpr size_t kAccountPasswordCapacity = 33;

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

// A flag stored under the name of its option: when the value counts, the
// option follows it. False when it does not count.
bool ApplySavedFlag(const CWindowManagerUI& manager, HKEY key, const char* name) {
    DWORD value = 0;
    if (!registry::ReadDword(key, name, value))
        return false;
    SetSelectedIfPresent(FindControlAs<COptionUI>(manager, name), value != 0);
    return value != 0;
}

}  // namespace

void CPlazaUpdateWnd::ApplySavedServerLine(DWORD line) {
    m_nServerLine = static_cast<int>(line);
    m_sServerAddr = settings::kServerAddr;
    const std::string optionName = "LogonLine" + std::to_string(line);
    SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, optionName.c_str()), true);
}

// The values that the last-login key and every account key share.
void CPlazaUpdateWnd::ApplySavedOptions(HKEY key) {
    DWORD value = 0;
    if (registry::ReadDword(key, accounts::kServer, value))
        ApplySavedServerLine(value);

    m_bAutoLogon = ApplySavedFlag(m_Manager, key, accounts::kAutoLogon);

    if (registry::ReadDword(key, accounts::kAutoSelectServer, value)) {
        m_bAutoSelectServer = value != 0;
        if (m_bAutoSelectServer) {
            SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, "LogonLineAuto"), true);
        }
    }

    m_bSavePassword = ApplySavedFlag(m_Manager, key, accounts::kSavePassword);
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
    if (const UniqueKey last =
            registry::OpenKey(HKEY_CURRENT_USER, accounts::kLastLogonKey, KEY_READ)) {
        std::string text;
        if (registry::ReadString(last.get(), accounts::kUserAccount, text) && !text.empty()) {
            SetTextIfPresent(m_pAccountEdit, text);
        }
        if (registry::ReadString(last.get(), accounts::kUserPassword, text) && !text.empty()) {
            SetTextIfPresent(m_pPasswordEdit, UnscrambleText(text, kLastLogonPasswordCapacity));
            SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword),
                                 true);
        }
        ApplySavedOptions(last.get());
        if (m_bAutoLogon && m_bSavePassword) {
            // Auto-logon with a saved password: the update's end logs in.
            SetLoginBoxesEnabled(false);
        }
    }

    const UniqueKey list =
        registry::OpenKey(HKEY_CURRENT_USER, accounts::kAccountListKey, KEY_ALL_ACCESS);
    if (!list)
        return;
    for (DWORD index = 0;; ++index) {
        char name[kAccountNameChars] = {};
        DWORD nameChars = kAccountNameChars;
        if (::RegEnumKeyExA(list.get(), index, name, &nameChars, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        const UniqueKey account =
            registry::OpenKey(HKEY_CURRENT_USER, accounts::AccountKeyPath(name), KEY_READ);
        if (!account)
            continue;
        std::string shown;
        if (registry::ReadString(account.get(), accounts::kUserAccount, shown) && !shown.empty()) {
            if (m_pAccountCombo)
                m_pAccountCombo->Add(MakeAccountRow(shown));
        } else if (registry::RecurseDeleteKey(list.get(), name) == ERROR_SUCCESS) {
            // The next key moved up into this index: list it too.
            --index;
        }
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

    const UniqueKey key =
        registry::OpenKey(HKEY_CURRENT_USER, accounts::AccountKeyPath(name), KEY_READ);
    if (!key)
        return;
    std::string scrambled;
    std::string password;
    if (registry::ReadString(key.get(), accounts::kUserPassword, scrambled)) {
        password = UnscrambleText(scrambled, kAccountPasswordCapacity);
    }
    SetTextIfPresent(m_pPasswordEdit, password);
    if (!password.empty())
        SetSelectedIfPresent(savePassword, true);
    ApplySavedOptions(key.get());
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
    if (const UniqueKey list =
            registry::OpenKey(HKEY_CURRENT_USER, accounts::kAccountListKey, registry::kReadWrite)) {
        registry::RecurseDeleteKey(list.get(), name.c_str());
    }
    if (m_pAccountEdit)
        m_pAccountEdit->SetFocus();
    SelectFirstAccountOrClear();
}

void CPlazaUpdateWnd::ClearAccount() {
    const std::string name = m_pAccountEdit ? m_pAccountEdit->GetText() : std::string();
    const UniqueKey list =
        registry::OpenKey(HKEY_CURRENT_USER, accounts::kAccountListKey, registry::kReadWrite);
    if (list && !name.empty()) {
        registry::RecurseDeleteKey(list.get(), name.c_str());
        for (int i = m_pAccountCombo ? m_pAccountCombo->GetCount() - 1 : -1; i >= 0; --i) {
            if (m_pAccountCombo->GetItemAt(i)->GetText() == name)
                m_pAccountCombo->RemoveAt(i);
        }
    }
    if (const UniqueKey last =
            registry::OpenKey(HKEY_CURRENT_USER, accounts::kLastLogonKey, registry::kReadWrite)) {
        for (const char* value : {accounts::kUserAccount, accounts::kUserPassword,
                                  accounts::kSavePassword, accounts::kAutoLogon}) {
            ::RegDeleteValueA(last.get(), value);
        }
        SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword), false);
        SetSelectedIfPresent(FindControlAs<COptionUI>(m_Manager, accounts::kAutoLogon), false);
    }
    if (m_pAccountEdit)
        m_pAccountEdit->SetFocus();
    SelectFirstAccountOrClear();
}

void CPlazaUpdateWnd::SaveLogonAccount(const std::string& account, const std::string& password) {
    const UniqueKey last = registry::CreateKey(HKEY_CURRENT_USER, accounts::kLastLogonKey);
    if (!last)
        return;
    auto* savePassword = FindControlAs<COptionUI>(m_Manager, accounts::kSavePassword);
    auto* autoLogon = FindControlAs<COptionUI>(m_Manager, accounts::kAutoLogon);
    const DWORD line = static_cast<DWORD>(m_nServerLine);
    const DWORD autoSelect = m_bAutoSelectServer ? 1 : 0;

    registry::WriteString(last.get(), accounts::kUserAccount, account);
    const bool remember = savePassword && savePassword->IsSelected();
    const std::string scrambled = remember ? ScrambleText(password) : std::string();
    registry::WriteString(last.get(), accounts::kUserPassword, scrambled);
    registry::WriteDword(last.get(), accounts::kSavePassword, remember ? 1 : 0);
    if (remember) {
        if (autoLogon)
            registry::WriteDword(last.get(), accounts::kAutoLogon, autoLogon->IsSelected());
    } else {
        registry::WriteDword(last.get(), accounts::kAutoLogon, 0);
    }
    registry::WriteDword(last.get(), accounts::kServer, line);

    if (const UniqueKey own =
            registry::CreateKey(HKEY_CURRENT_USER, accounts::AccountKeyPath(account))) {
        // Without a remembered password the account keeps whatever it had.
        if (remember)
            registry::WriteString(own.get(), accounts::kUserPassword, scrambled);
        if (savePassword) {
            registry::WriteDword(own.get(), accounts::kSavePassword, savePassword->IsSelected());
        }
        if (autoLogon)
            registry::WriteDword(own.get(), accounts::kAutoLogon, autoLogon->IsSelected());
        registry::WriteDword(own.get(), accounts::kServer, line);
        registry::WriteDword(own.get(), accounts::kAutoSelectServer, autoSelect);
    }
    registry::WriteDword(last.get(), accounts::kAutoSelectServer, autoSelect);
}
