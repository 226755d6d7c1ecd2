// Names that the launcher shares with the lobby and with a second copy of
// itself.
#pragma once

#include "base/LobbyInterface.h"
#include "base/MessageCaption.h"

constexpr char kLauncherWindowClass[] = "VuZerizovo";
constexpr char kInstanceMutexName[] = "VuZerizovo";
constexpr char kLauncherTitle[] = "Vedu";
constexpr unsigned long kLauncherStyle = 0x96CA0000;
