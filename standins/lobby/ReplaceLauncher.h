// The lobby's half of the launcher's self-update. The launcher leaves its new
// executable as "Launcher.exe.tmp" and quits; the lobby, started with
// "-Replace_PlazaUpdate", waits for it to be gone, puts the new file in place
// and starts the launcher again. When the new file cannot be put in place the
// old launcher stays and is started, so the player always has one.
#pragma once

#include <string>

// folder ends in a backslash. True when the new launcher was put in place.
bool ReplaceLauncher(const std::string& folder);
