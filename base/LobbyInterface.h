// What the launcher and the lobby (the stand-in in lobby/ or the real one)
// both rely on, kept in one place so the two programs cannot drift apart.
#pragma once

#include <string>

// The lobby's main window: the launcher looks for it at start and at login.
inline constexpr char kLobbyWindowClass[] = "ReRodaDeviz";

// The saved logins under HKEY_CURRENT_USER: the last account, and one key
// per account below the list key. The lobby adds the account it was given.
inline constexpr char kLastLogonKey[] = "Software\\DaRidaZorozo\\Lobby\\LastLogonAccount";
inline constexpr char kAccountListKey[] = "Software\\DaRidaZorozo\\Lobby\\LogonAccount";

// The lobby's command lines: a login, and the hand-over of a new launcher
// (the lobby moves Launcher.exe.tmp over Launcher.exe and starts it).
inline constexpr char kUpdateOverSwitch[] = "-Update_Over";
inline constexpr char kReplacePlazaUpdateSwitch[] = "-Replace_PlazaUpdate";

// The lobby beside the launcher in the program's folder, which may or may not
// end in a backslash.
inline std::string LobbyProgramPath(std::string programFolder) {
    if (programFolder.empty() || programFolder.back() != '\\')
        programFolder += '\\';
    return programFolder + "Lobby.exe";
}
