#include "update/place/LobbyHandOver.h"

#include <shellapi.h>

#include "base/LobbyInterface.h"
#include "update/log/UpdateLog.h"
#include "update/place/HandOverRecord.h"

HandOver HandOverToLobby(const std::string& installDir, HWND owner, Uncounted uncounted) {
    if (!RecordHandOver(installDir)) {
        AppendUpdateLog("HandOverNotRecorded");
        // An uncounted hand-over could repeat on every start.
        if (uncounted == Uncounted::Skip)
            return HandOver::NotRecorded;
    }
    const std::string lobby = LobbyProgramPath(installDir);
    const auto started = reinterpret_cast<INT_PTR>(::ShellExecuteA(
        owner, "open", lobby.c_str(), kReplacePlazaUpdateSwitch, "", SW_SHOWNORMAL));
    return started < 32 ? HandOver::StartFailed : HandOver::Started;
}
