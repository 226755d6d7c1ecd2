#include "login/LobbyCommandLine.h"

#include <cstdio>

std::string FormatUpdateOverParameters(const LobbyLogin& login) {
    char buffer[kMaxLobbyParameters + 1] = {};
    std::snprintf(buffer, sizeof(buffer), "-Update_Over %d %d %d %d %d %s %s %s", login.nServerLine,
                  login.bPartnerLogon ? 1 : 0, static_cast<int>(login.sAccount.size()),
                  static_cast<int>(login.sPassword.size()),
                  static_cast<int>(login.sServerAddr.size()), login.sAccount.c_str(),
                  login.sPassword.c_str(), login.sServerAddr.c_str());
    return buffer;
}

std::string LobbyProgramPath(const std::string& programFolder) {
    std::string path = programFolder;
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path + "Lobby.exe";
}
