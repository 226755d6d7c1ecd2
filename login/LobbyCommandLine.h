// The lobby program and the login command line the launcher starts it with.
// The login form carries three byte lengths so that the lobby can cut the
// account, the password and the address out again even when they contain
// spaces.
#pragma once

#include <optional>
#include <string>

// Longest parameter text the lobby is given.
inline constexpr size_t kMaxLobbyParameters = 259;

struct LobbyLogin {
    int nServerLine = 0;
    bool bPartnerLogon = false;
    std::string sAccount;
    std::string sPassword;
    std::string sServerAddr;
};

// "-Update_Over line partner accountLen passwordLen addressLen account password
// address", nothing quoted. Empty when it would be longer than
// kMaxLobbyParameters characters.
std::optional<std::string> FormatUpdateOverParameters(const LobbyLogin& login);
