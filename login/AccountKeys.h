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

// The key of one remembered account.
inline std::string AccountKeyPath(const std::string& account) {
    return std::string(kAccountListKey) + "\\" + account;
}

}  // namespace accounts
