#include "update/run/UpdateStore.h"

#include "launcher_settings.h"
#include "update/format/MirrorFormat.h"
#include "update/format/TextCaps.h"
#include "update/log/UpdateLog.h"
#include "update/net/DownloadSession.h"
#include "update/net/HttpFetchText.h"
#include "update/net/StopSignal.h"
#include "update/place/LocalVersion.h"

CUpdateStore::CUpdateStore()
    : m_vReleaseKeys(
          ParseReleaseKeys(settings::kReleaseKeys).value_or(std::vector<ReleasePublicKey>{})),
      m_pSession(std::make_shared<CDownloadSession>()) {}

void CUpdateStore::UseNetLimits(const NetLimits& limits) {
    m_pSession = std::make_shared<CDownloadSession>(limits);
}

bool CUpdateStore::FetchVersion(const std::string& url) {
    TextFetch fetch = FetchCappedText(url, kVersionTextCap, m_pStop.get(), m_pSession->Limits());
    m_bTextTooLarge = fetch.tooLarge;
    m_nTextStatus = fetch.status;
    if (fetch.text == kFetchError)
        return false;
    VersionText version = ParseVersionText(fetch.text);
    m_sVersionBody = std::move(fetch.text);
    m_sVersionStamp = std::move(version.stamp);
    m_sVersionText = std::move(version.display);
    return true;
}

bool CUpdateStore::IsLocalVersionCurrent() const {
    return IsLocalVersion(m_sInstallDir, m_sVersionStamp);
}

bool CUpdateStore::SaveLocalVersion() {
    return ::SaveLocalVersion(m_sInstallDir, m_sVersionStamp);
}

bool CUpdateStore::FetchFileList(const std::string& url) {
    TextFetch fetch = FetchCappedText(url, kFileListCap, m_pStop.get(), m_pSession->Limits());
    m_bTextTooLarge = fetch.tooLarge;
    m_nTextStatus = fetch.status;
    m_sFileList = std::move(fetch.text);
    if (m_sFileList == kFetchError)
        return false;
    m_lstDownload.clear();
    return true;
}

bool CUpdateStore::BuildDownloadList() {
    return CheckInstalledFiles(m_sFileList, m_sInstallDir, m_pStop.get(), m_lstDownload);
}

void CUpdateStore::FetchPatchIndex(const std::string& mirror) {
    m_pPatchIndex.reset();
    m_sMirrorUrl = mirror;
    const std::string url = mirror + kPatchIndexName;
    TextFetch fetch =
        FetchCappedText(url, kPatchIndexCap, m_pStop.get(), m_pSession->Limits(), true);
    if (fetch.text == kFetchError)
        return;
    std::optional<PatchIndex> index = ParsePatchIndex(fetch.text, m_vReleaseKeys);
    // An index of another release names objects this one may not have.
    const std::string& stamp = m_pRelease ? m_pRelease->stamp : m_sVersionStamp;
    if (!index || index->stamp != stamp) {
        AppendUpdateLog("PatchIndexIgnored: " + url);
        return;
    }
    m_pPatchIndex = std::make_shared<const PatchIndex>(std::move(*index));
}

DownloadCount CUpdateStore::CountDownloads() const {
    DownloadCount result;
    for (const FileRecord& record : m_lstDownload) {
        ++result.count;
        if (record.m_nSize > 0)
            result.totalSize += static_cast<uint64_t>(record.m_nSize);
    }
    return result;
}
