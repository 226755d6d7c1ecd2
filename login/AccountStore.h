// The saved logins under HKEY_CURRENT_USER: the last login and one key per
// remembered account (login/AccountKeys.h names them). Passwords are stored
// only as scrambled hex text; the store hands them out in plain text. Every
// function opens and closes its keys itself, so nothing here outlives a call.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace accounts {

// The values that the last-login key and every account key share. A value
// that is missing, or is not a REG_DWORD, is empty.
struct SavedOptions {
    std::optional<DWORD> server;
    std::optional<bool> autoLogon;
    std::optional<bool> autoSelectServer;
    std::optional<bool> savePassword;
};

struct LastLogon {
    // Empty when no account name is saved.
    std::string sAccount;
    // A non-empty password value is stored. Its plain text may still be empty
    // when it does not unscramble.
    bool bHasPassword = false;
    std::string sPassword;
    SavedOptions options;
};

struct SavedAccount {
    // Empty when none is stored, or when it does not unscramble into the 32
    // characters the password box takes.
    std::string sPassword;
    SavedOptions options;
};

// What a login remembers. An option the skin lacks is empty, and the value
// it would set is left as it is.
struct LogonToSave {
    std::string sAccount;
    std::string sPassword;
    std::optional<bool> savePassword;
    std::optional<bool> autoLogon;
    int nServerLine = 0;
    bool bAutoSelectServer = false;
};

// Whether an account can be remembered under a key named after it. A name
// with a backslash would reach into nested keys (another account's, or the
// lobby's below one), and an empty one would be the list key itself.
enum class AccountKeyName { Fits, NotAKeyName, TooLong };
AccountKeyName CheckAccountKeyName(const std::string& account);

// Empty when there is no last-login key.
std::optional<LastLogon> ReadLastLogon();

// The account below the list key; empty when its key does not open or the
// name cannot be a key's.
std::optional<SavedAccount> ReadAccount(const std::string& name);

// The names of the remembered accounts, in the registry's order. A key
// without an account name is broken: it is deleted as the listing meets it.
std::vector<std::string> ListAccounts();

// Deletes the account's key with everything below it (the lobby keeps its own
// keys there). False when there is no account list, or when the name cannot
// be a key's, which then deletes nothing.
bool DeleteAccount(const std::string& name);

// Deletes the last login's account, password, remember-password and
// auto-logon values; its server choice stays. False when there is no
// last-login key.
bool ForgetLastLogon();

// Writes the last login and the account's own key, creating both. Without a
// remembered password the last login stores an empty one and no auto-logon,
// and the account keeps whatever password it had. An account whose name does
// not fit a key (CheckAccountKeyName) is not remembered: nothing is written.
void SaveLogon(const LogonToSave& logon);

}  // namespace accounts
