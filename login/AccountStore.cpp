#include "login/AccountStore.h"

#include "identity/HexCodec.h"
#include "login/AccountKeys.h"
#include "login/RegistryKey.h"

using Base::UniqueKey;

namespace accounts {

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

std::optional<bool> ReadFlag(HKEY key, const char* name) {
    DWORD value = 0;
    if (!registry::ReadDword(key, name, value))
        return std::nullopt;
    return value != 0;
}

SavedOptions ReadOptions(HKEY key) {
    SavedOptions options;
    DWORD value = 0;
    if (registry::ReadDword(key, kServer, value))
        options.server = value;
    options.autoLogon = ReadFlag(key, kAutoLogon);
    options.autoSelectServer = ReadFlag(key, kAutoSelectServer);
    options.savePassword = ReadFlag(key, kSavePassword);
    return options;
}

// The registry's ANSI functions read a name in the ANSI code page, so a
// double-byte character whose second byte is 0x5C is no backslash.
bool HasBackslash(const std::string& name) {
    const int chars =
        ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], chars);
    return wide.find(L'\\') != std::wstring::npos;
}

}  // namespace

AccountKeyName CheckAccountKeyName(const std::string& account) {
    if (account.empty() || HasBackslash(account))
        return AccountKeyName::NotAKeyName;
    if (account.size() > kMaxAccountKeyChars)
        return AccountKeyName::TooLong;
    return AccountKeyName::Fits;
}

std::optional<LastLogon> ReadLastLogon() {
    const UniqueKey key = registry::OpenKey(HKEY_CURRENT_USER, kLastLogonKey, KEY_READ);
    if (!key)
        return std::nullopt;
    LastLogon last;
    registry::ReadString(key.get(), kUserAccount, last.sAccount);
    std::string scrambled;
    if (registry::ReadString(key.get(), kUserPassword, scrambled) && !scrambled.empty()) {
        last.bHasPassword = true;
        last.sPassword = UnscrambleText(scrambled, kLastLogonPasswordCapacity);
    }
    last.options = ReadOptions(key.get());
    return last;
}

std::optional<SavedAccount> ReadAccount(const std::string& name) {
    if (CheckAccountKeyName(name) == AccountKeyName::NotAKeyName)
        return std::nullopt;
    const UniqueKey key = registry::OpenKey(HKEY_CURRENT_USER, AccountKeyPath(name), KEY_READ);
    if (!key)
        return std::nullopt;
    SavedAccount account;
    std::string scrambled;
    if (registry::ReadString(key.get(), kUserPassword, scrambled))
        account.sPassword = UnscrambleText(scrambled, kAccountPasswordCapacity);
    account.options = ReadOptions(key.get());
    return account;
}

std::vector<std::string> ListAccounts() {
    std::vector<std::string> names;
    const UniqueKey list = registry::OpenKey(HKEY_CURRENT_USER, kAccountListKey, KEY_ALL_ACCESS);
    if (!list)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[kAccountNameChars] = {};
        DWORD nameChars = kAccountNameChars;
        if (::RegEnumKeyExA(list.get(), index, name, &nameChars, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        const UniqueKey account =
            registry::OpenKey(HKEY_CURRENT_USER, AccountKeyPath(name), KEY_READ);
        if (!account)
            continue;
        std::string shown;
        if (registry::ReadString(account.get(), kUserAccount, shown) && !shown.empty()) {
            names.push_back(shown);
        } else if (registry::RecurseDeleteKey(list.get(), name) == ERROR_SUCCESS) {
            // The next key moved up into this index: list it too.
            --index;
        }
    }
    return names;
}

bool DeleteAccount(const std::string& name) {
    if (CheckAccountKeyName(name) == AccountKeyName::NotAKeyName)
        return false;
    const UniqueKey list =
        registry::OpenKey(HKEY_CURRENT_USER, kAccountListKey, registry::kReadWrite);
    if (!list)
        return false;
    registry::RecurseDeleteKey(list.get(), name.c_str());
    return true;
}

bool ForgetLastLogon() {
    const UniqueKey last =
        registry::OpenKey(HKEY_CURRENT_USER, kLastLogonKey, registry::kReadWrite);
    if (!last)
        return false;
    for (const char* value : {kUserAccount, kUserPassword, kSavePassword, kAutoLogon})
        ::RegDeleteValueA(last.get(), value);
    return true;
}

void SaveLogon(const LogonToSave& logon) {
    if (CheckAccountKeyName(logon.sAccount) != AccountKeyName::Fits)
        return;
    const UniqueKey last = registry::CreateKey(HKEY_CURRENT_USER, kLastLogonKey);
    if (!last)
        return;
    const DWORD line = static_cast<DWORD>(logon.nServerLine);
    const DWORD autoSelect = logon.bAutoSelectServer ? 1 : 0;

    registry::WriteString(last.get(), kUserAccount, logon.sAccount);
    const bool remember = logon.savePassword.value_or(false);
    const std::string scrambled = remember ? ScrambleText(logon.sPassword) : std::string();
    registry::WriteString(last.get(), kUserPassword, scrambled);
    registry::WriteDword(last.get(), kSavePassword, remember ? 1 : 0);
    if (remember) {
        if (logon.autoLogon)
            registry::WriteDword(last.get(), kAutoLogon, *logon.autoLogon);
    } else {
        registry::WriteDword(last.get(), kAutoLogon, 0);
    }
    registry::WriteDword(last.get(), kServer, line);

    if (const UniqueKey own =
            registry::CreateKey(HKEY_CURRENT_USER, AccountKeyPath(logon.sAccount))) {
        // Without a remembered password the account keeps whatever it had.
        if (remember)
            registry::WriteString(own.get(), kUserPassword, scrambled);
        if (logon.savePassword)
            registry::WriteDword(own.get(), kSavePassword, *logon.savePassword);
        if (logon.autoLogon)
            registry::WriteDword(own.get(), kAutoLogon, *logon.autoLogon);
        registry::WriteDword(own.get(), kServer, line);
        registry::WriteDword(own.get(), kAutoSelectServer, autoSelect);
    }
    registry::WriteDword(last.get(), kAutoSelectServer, autoSelect);
}

}  // namespace accounts
