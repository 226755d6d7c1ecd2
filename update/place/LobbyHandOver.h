// The one place that hands a new launcher over to the lobby. The running
// launcher cannot replace its own executable, so it leaves the new one as
// "Launcher.exe.tmp" and starts the lobby with "-Replace_PlazaUpdate"; the
// lobby moves the file into place once the launcher has quit. Both the update
// run (at the end of a self-update) and the login (when a new launcher
// waits) come here, so the count in the hand-over record and the lobby's
// path are the same for both.
#pragma once

#include <windows.h>

#include <string>

enum class HandOver {
    Started,      // the lobby runs; the launcher must quit now
    NotRecorded,  // the hand-over could not be counted, so it was not made
    StartFailed,  // counted, but the lobby did not start
};

// Whether a hand-over that cannot be counted is made all the same.
enum class Uncounted { Skip, StartAnyway };

// Counts the hand-over in "handover.ini" and starts installDir's Lobby.exe
// with the replace switch, owned by owner (may be null).
HandOver HandOverToLobby(const std::string& installDir, HWND owner, Uncounted uncounted);
