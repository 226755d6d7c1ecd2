#include "update/ReleaseCheck.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "update/DownloadSession.h"
#include "update/HttpFetchText.h"
#include "update/UpdateLog.h"
#include "update/UpdateStore.h"

namespace {

constexpr char kCounterName[] = "release.ini";

}  // namespace

uint64_t ReadHighestRelease(const std::string& installDir) {
    std::ifstream in(installDir + kCounterName);
    std::string word;
    in >> word;
    if (word.empty() || word.size() > 18 ||
        word.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::strtoull(word.c_str(), nullptr, 10);
}

bool SaveHighestRelease(const std::string& installDir, uint64_t release) {
    const std::string path = installDir + kCounterName;
    const std::string temp = path + ".tmp";
    const std::string text = std::to_string(release);
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool flushed = std::fflush(f) == 0;
    if (std::fclose(f) != 0 || !written || !flushed) {
        ::DeleteFileA(temp.c_str());
        return false;
    }
    return ::MoveFileExA(temp.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

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
    SignedRelease release;
    const ReleaseVerdict verdict =
        VerifyRelease(fetch.text, store.m_vReleaseKeys, static_cast<int64_t>(std::time(nullptr)),
                      ReadHighestRelease(store.m_sInstallDir), store.m_sVersionBody, release);
    if (verdict == ReleaseVerdict::Accepted)
        store.m_pRelease = std::make_shared<const ReleaseManifest>(std::move(release.manifest));
    return verdict;
}

ReleaseVerdict CheckReleaseOfFileList(const CUpdateStore& store) {
    if (!store.m_pRelease)
        return ReleaseVerdict::Accepted;
    return CheckSignedFileList(*store.m_pRelease, store.m_sFileList);
}

bool IsDownloadAsSigned(const CUpdateStore& store, const std::string& name,
                        const Sha256Digest& sha256) {
    if (!store.m_pRelease)
        return true;
    const Sha256Digest* expected = FindSignedFile(*store.m_pRelease, name);
    return expected && *expected == sha256;
}

void RecordAcceptedRelease(const CUpdateStore& store) {
    if (store.m_pRelease && store.m_pRelease->release > ReadHighestRelease(store.m_sInstallDir))
        SaveHighestRelease(store.m_sInstallDir, store.m_pRelease->release);
}

std::string RefusalStatusText(ReleaseVerdict verdict) {
    switch (verdict) {
        case ReleaseVerdict::Expired:
            return "更新被拒绝：发布已过期";
        case ReleaseVerdict::RolledBack:
            return "更新被拒绝：版本回退";
        case ReleaseVerdict::HashMismatch:
            return "更新被拒绝：文件与签名不符";
        case ReleaseVerdict::TooLarge:
            return "更新被拒绝：文件过大";
        default:
            return "更新被拒绝：发布签名无效";
    }
}

void LogRefusal(ReleaseVerdict verdict, const std::string& what) {
    AppendUpdateLog(std::string("ReleaseRefused: ") + ReleaseVerdictReason(verdict) + " " + what);
}
