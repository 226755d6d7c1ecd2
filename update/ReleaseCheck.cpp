#include "update/ReleaseCheck.h"

#include <windows.h>

#include <ctime>
#include <string_view>

#include "base/Handles.h"
#include "update/AtomicFile.h"
#include "update/DownloadSession.h"
#include "update/HttpFetchText.h"
#include "update/UpdateLog.h"
#include "update/UpdateStore.h"

namespace {

constexpr char kCounterName[] = "release.ini";
// One number of at most 18 digits, with room for blanks and a line break
// that an editor may add around it.
constexpr DWORD kCounterCap = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string HighestReleasePath(const std::string& installDir) {
    return installDir + kCounterName;
}

std::optional<uint64_t> ReadHighestRelease(const std::string& installDir) {
    Base::UniqueKernelHandle file(
        ::CreateFileA(HighestReleasePath(installDir).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return 0;
        return std::nullopt;
    }
    char buffer[kCounterCap + 1];
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) || got > kCounterCap)
        return std::nullopt;
    std::string_view text(buffer, got);
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return ParseDecimalNumber(text);
}

bool SaveHighestRelease(const std::string& installDir, uint64_t release) {
    return ReplaceFileAtomically(HighestReleasePath(installDir), std::to_string(release));
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
    const std::optional<uint64_t> highest = ReadHighestRelease(store.m_sInstallDir);
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

bool IsDownloadAsSigned(const CUpdateStore& store, const std::string& name,
                        const Sha256Digest& sha256) {
    if (!store.m_pRelease)
        return true;
    const Sha256Digest* expected = FindSignedFile(*store.m_pRelease, name);
    return expected && *expected == sha256;
}

bool RecordAcceptedRelease(const CUpdateStore& store) {
    if (!store.m_pRelease)
        return true;
    // A file that has become unreadable since the check is replaced: the
    // release was checked against the number it held then.
    const std::optional<uint64_t> highest = ReadHighestRelease(store.m_sInstallDir);
    if (highest && store.m_pRelease->release <= *highest)
        return true;
    if (SaveHighestRelease(store.m_sInstallDir, store.m_pRelease->release))
        return true;
    AppendUpdateLog("ReleaseSaveFailed:" + std::to_string(::GetLastError()) + " " +
                    HighestReleasePath(store.m_sInstallDir));
    return false;
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
        case ReleaseVerdict::StateUnreadable:
            return "更新被拒绝：release.ini无法读取或已损坏";
        default:
            return "更新被拒绝：发布签名无效";
    }
}

void LogRefusal(ReleaseVerdict verdict, const std::string& what) {
    AppendUpdateLog(std::string("ReleaseRefused: ") + ReleaseVerdictReason(verdict) + " " + what);
}
