// Names that the launcher shares with the lobby and with a second copy of
// itself.
#pragma once

#include "base/LobbyInterface.h"

constexpr char kLauncherWindowClass[] = "VuZerizovo";
constexpr char kInstanceMutexName[] = "VuZerizovo";
constexpr char kLauncherTitle[] = "Vedu";
// The caption of the launcher's message boxes (the login's own input checks
// use "提 示").
constexpr char kMessageCaption[] = "提示";
constexpr unsigned long kLauncherStyle = 0x96CA0000;
