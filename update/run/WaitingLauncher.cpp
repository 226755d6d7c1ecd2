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

// Checked as a download is: by its SHA-256 alone when the release is signed.
bool IsComplete(const CUpdateStore& store, const FileRecord& record, const std::string& temp) {
    if (DownloadDigest(store) == FileDigest::Md5)
        return IsDownloadAsListed(store, record, Md5OfFile(temp), {});
    const auto sha256 = Sha256OfFile(temp);
    return sha256 && IsDownloadAsListed(store, record, {}, *sha256);
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
