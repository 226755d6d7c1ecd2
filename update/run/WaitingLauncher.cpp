#include "update/run/WaitingLauncher.h"

#include <windows.h>

#include "update/format/MirrorFormat.h"
#include "update/place/HandOverRecord.h"
#include "update/run/UpdateStore.h"
#include "update/run/VerifiedTemp.h"

namespace {

constexpr char kRunningLauncher[] = "\\launcher.exe";

}  // namespace

bool IsRunningLauncher(const std::string& listedName) {
    return FoldListedName(listedName) == kRunningLauncher;
}

WaitingLauncher CheckWaitingLauncher(const CUpdateStore& store, const FileRecord& record,
                                     const std::string& temp, bool retryGivenUp) {
    if (!IsVerifiedTemp(store, record, temp))
        return WaitingLauncher::None;
    return !retryGivenUp && CountHandOvers(store.m_sInstallDir, record.m_sMd5) >= kMaxHandOvers
               ? WaitingLauncher::GiveUp
               : WaitingLauncher::HandOver;
}
