#include "update/run/ReleaseCheck.h"

#include <windows.h>

#include <ctime>
#include <utility>

#include "identity/HexDigits.h"
#include "update/format/TextCaps.h"
#include "update/log/UpdateLog.h"
#include "update/net/DownloadSession.h"
#include "update/net/HttpFetchText.h"
#include "update/place/ReleaseRecord.h"
#include "update/run/UpdateStore.h"

ReleaseVerdict CheckReleaseOfVersion(CUpdateStore& store, const std::string& mirror) {
    store.m_pRelease.reset();
    if (store.m_vReleaseKeys.empty())
        return ReleaseVerdict::Accepted;
    TextFetch fetch = FetchCappedText(mirror + kReleaseSigName, kReleaseSigCap,
                                      store.GetStopSignal(), store.Session().Limits());
    if (fetch.tooLarge)
        return ReleaseVerdict::TooLarge;
    if (fetch.text == kFetchError)
        return ReleaseVerdict::Malformed;
    const std::optional<uint64_t> highest =
        ReadHighestRelease(store.m_sInstallDir, store.GetStopSignal());
    if (!highest)
        return ReleaseVerdict::StateUnreadable;
    SignedRelease release;
    const ReleaseVerdict verdict =
        VerifyRelease(fetch.text, store.m_vReleaseKeys, static_cast<int64_t>(std::time(nullptr)),
                      *highest, store.m_sVersionBody, release);
    if (verdict == ReleaseVerdict::Accepted)
        store.m_pRelease = std::make_shared<const ReleaseManifest>(std::move(release.manifest));
    return verdict;
}

ReleaseVerdict CheckReleaseOfFileList(const CUpdateStore& store) {
    if (!store.m_pRelease)
        return ReleaseVerdict::Accepted;
    return CheckSignedFileList(*store.m_pRelease, store.m_sFileList);
}

FileDigest DownloadDigest(const CUpdateStore& store) {
    return store.m_pRelease ? FileDigest::Sha256 : FileDigest::Md5;
}

bool IsDownloadAsListed(const CUpdateStore& store, const FileRecord& record, const std::string& md5,
                        const Sha256Digest& sha256) {
    if (store.m_pRelease) {
        const Sha256Digest* expected = FindSignedFile(*store.m_pRelease, record.m_sName);
        return expected && *expected == sha256;
    }
    return SameHexText(md5, record.m_sMd5);
}

bool RecordAcceptedRelease(const CUpdateStore& store) {
    if (!store.m_pRelease)
        return true;
    // A file that has become unreadable since the check is replaced: the
    // release was checked against the number it held then.
    const std::optional<uint64_t> highest =
        ReadHighestRelease(store.m_sInstallDir, store.GetStopSignal());
    if (highest && store.m_pRelease->release <= *highest)
        return true;
    if (SaveHighestRelease(store.m_sInstallDir, store.m_pRelease->release))
        return true;
    AppendUpdateLog("ReleaseSaveFailed:" + std::to_string(::GetLastError()) + " " +
                    HighestReleasePath(store.m_sInstallDir));
    return false;
}

std::string RefusalStatusText(ReleaseVerdict verdict) {
    static constexpr std::pair<ReleaseVerdict, const char*> kTexts[] = {
        {ReleaseVerdict::Expired, "更新被拒绝：发布已过期"},
        {ReleaseVerdict::RolledBack, "更新被拒绝：版本回退"},
        {ReleaseVerdict::HashMismatch, "更新被拒绝：文件与签名不符"},
        {ReleaseVerdict::TooLarge, "更新被拒绝：文件过大"},
        {ReleaseVerdict::StateUnreadable, "更新被拒绝：release.ini无法读取或已损坏"}};
    for (const auto& [known, text] : kTexts) {
        if (known == verdict)
            return text;
    }
    return "更新被拒绝：发布签名无效";
}

void LogRefusal(ReleaseVerdict verdict, const std::string& what) {
    AppendUpdateLog(std::string("ReleaseRefused: ") + ReleaseVerdictReason(verdict) + " " + what);
}
