#include "update/run/WaitingLauncher.h"

#include <windows.h>

#include "identity/Md5.h"
#include "update/place/HandOverRecord.h"
#include "update/format/MirrorFormat.h"
#include "update/run/ReleaseCheck.h"
#include "update/format/Sha256File.h"
#include "update/run/UpdateStore.h"

namespace {

constexpr char kRunningLauncher[] = "\\launcher.exe";

bool IsComplete(const CUpdateStore& store, const FileRecord& record, const std::string& temp) {
    // Hex digits only: a case-blind comparison is exact.
    if (::lstrcmpiA(Md5OfFile(temp).c_str(), record.m_sMd5.c_str()) != 0)
        return false;
    if (!store.m_pRelease)
        return true;
    const auto sha256 = Sha256OfFile(temp);
    return sha256 && IsDownloadAsSigned(store, record.m_sName, *sha256);
}

}  // namespace

bool IsRunningLauncher(const std::string& listedName) {
    return FoldListedName(listedName) == kRunningLauncher;
}

WaitingLauncher CheckWaitingLauncher(const CUpdateStore& store, const FileRecord& record,
                                     const std::string& temp) {
    if (!IsComplete(store, record, temp))
        return WaitingLauncher::None;
    return CountHandOvers(store.m_sInstallDir, record.m_sMd5) >= kMaxHandOvers
               ? WaitingLauncher::GiveUp
               : WaitingLauncher::HandOver;
}
