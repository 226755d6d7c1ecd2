#include "login/LobbyCommandLine.h"

#include <cstdio>

std::optional<std::string> FormatUpdateOverParameters(const LobbyLogin& login) {
    char buffer[kMaxLobbyParameters + 1] = {};
    const int needed = std::snprintf(
        buffer, sizeof(buffer), "-Update_Over %d %d %d %d %d %s %s %s", login.nServerLine,
        login.bPartnerLogon ? 1 : 0, static_cast<int>(login.sAccount.size()),
        static_cast<int>(login.sPassword.size()), static_cast<int>(login.sServerAddr.size()),
        login.sAccount.c_str(), login.sPassword.c_str(), login.sServerAddr.c_str());
    // A cut line would no longer match its own lengths, and the lobby refuses it.
    if (needed < 0 || static_cast<size_t>(needed) > kMaxLobbyParameters)
        return std::nullopt;
    return std::string(buffer);
}
