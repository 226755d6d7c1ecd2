// The launcher's own executable in a download pass. The running launcher
// cannot replace itself: a new one waits beside it as "Launcher.exe.tmp" for
// the lobby to move it (see HandOverRecord.h). A pass that finds it already
// waiting, whole and checked, decides here whether to hand it over again.
#pragma once

#include <string>

class CUpdateStore;
struct FileRecord;

// Only the installation folder's own Launcher.exe is the program running
// now, in any letter case, as Windows compares names; one in a sub-folder is
// an ordinary file.
bool IsRunningLauncher(const std::string& listedName);

enum class WaitingLauncher {
    None,      // no complete, checked copy waits: download it
    HandOver,  // hand the waiting copy over without fetching it again
    GiveUp,    // the lobby failed with this copy too often: keep the old one
};

// record is the running launcher's entry and temp its .tmp; a signed
// release's copy must also be as signed. A repair (retryGivenUp) hands over
// once more a copy the launcher had given up on: the player asked for it.
WaitingLauncher CheckWaitingLauncher(const CUpdateStore& store, const FileRecord& record,
                                     const std::string& temp, bool retryGivenUp);
