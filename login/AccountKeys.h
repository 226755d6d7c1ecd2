// Where the saved logins live under HKEY_CURRENT_USER, and their value names.
// The lobby reads and writes the same keys.
#pragma once

#include <string>

#include "base/LobbyInterface.h"

namespace accounts {

using ::kAccountListKey;
using ::kLastLogonKey;

inline constexpr char kUserAccount[] = "UserAccount";
inline constexpr char kUserPassword[] = "UserPassword";
// Also the name of the skin's remember-password option.
inline constexpr char kSavePassword[] = "SavePassWord";
// Also the name of the skin's auto-logon option.
inline constexpr char kAutoLogon[] = "AutoLogon";
inline constexpr char kServer[] = "Server";
inline constexpr char kAutoSelectServer[] = "AutoSelectServer";

// Longest account name kept under a key of its own. The lobby lists the
// accounts with room for 31 characters (bytes of the ANSI code page) and
// stops at a longer name, which would hide every account after it.
inline constexpr size_t kMaxAccountKeyChars = 31;

// The key of one remembered account.
inline std::string AccountKeyPath(const std::string& account) {
    return std::string(kAccountListKey) + "\\" + account;
}

}  // namespace accounts
