#include "update/UpdateStore.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "identity/Md5.h"
#include "update/DownloadSession.h"
#include "update/HttpFetchText.h"
#include "launcher_settings.h"
#include "update/MirrorFormat.h"
#include "update/ReleaseCheck.h"
#include "update/StopSignal.h"
#include "update/UpdateLog.h"

namespace {

// Pause after each listed name, so the window can show the names go by.
constexpr DWORD kEntryPauseMs = 5;
// "ver.ini" was read into a 260-byte buffer: a longer word is another version.
constexpr size_t kMaxStampWord = 259;

}  // namespace

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
    m_sVersionText = std::move(fetch.text);
    if (m_sVersionText == kFetchError)
        return false;
    m_sVersionBody = m_sVersionText;
    VersionText version = ParseVersionText(m_sVersionText);
    m_sVersionStamp = std::move(version.stamp);
    m_sVersionText = std::move(version.display);
    return true;
}

bool CUpdateStore::IsLocalVersionCurrent() const {
    // The narrow path is already in the system code page, which is what the
    // C runtime hands to the file system, so no locale switch is needed.
    std::ifstream in(LocalVersionPath());
    if (!in)
        return false;
    std::string word;
    in >> word;
    if (word.size() > kMaxStampWord)
        return false;
    return word == m_sVersionStamp;
}

bool CUpdateStore::SaveLocalVersion() {
    const std::string path = LocalVersionPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        // Clear read-only (and hidden, system) for the next call, which the
        // caller makes; this call still reports the failure.
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (FILE* again = std::fopen(path.c_str(), "wb"))
            std::fclose(again);
        return false;
    }
    const bool written =
        std::fwrite(m_sVersionStamp.data(), 1, m_sVersionStamp.size(), f) == m_sVersionStamp.size();
    return (std::fclose(f) == 0) && written;
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

bool CUpdateStore::BuildDownloadList(const std::function<void(const std::string&)>& onEntry) {
    if (m_sFileList.empty())
        return true;
    const FileList list = DecodeFileList(m_sFileList);
    // Each name stays on screen for the pause; the file's digest is taken
    // meanwhile, so the check costs the longer of the two, not their sum.
    const auto pauseSince = [this](DWORD shown) {
        const DWORD spent = ::timeGetTime() - shown;
        const DWORD rest = spent < kEntryPauseMs ? kEntryPauseMs - spent : 0;
        if (m_pStop)
            return rest ? m_pStop->Sleep(rest) : !m_pStop->IsStopped();
        ::Sleep(rest);
        return true;
    };
    std::vector<std::string_view> names;
    names.reserve(list.files.size());
    for (const ListedFile& file : list.files)
        names.push_back(file.name);
    // Two names that fold to one are one file on Windows: hashing either
    // would read the other's bytes.
    const std::vector<bool> collides = FindFoldedCollisions(names);
    for (size_t i = 0; i < list.files.size(); ++i) {
        const ListedFile& file = list.files[i];
        onEntry(file.name);
        const DWORD shown = ::timeGetTime();
        FileRecord record;
        record.m_sName = file.name;
        record.m_nSize = file.size;
        record.m_sMd5 = file.md5;
        // A bad name is never opened (a device name could block on a port)
        // nor written; it stays on the list so the download pass reports it.
        record.m_bBadName = collides[i] || !IsSafeListedName(file.name);
        record.m_bNeedDownload = true;
        if (!record.m_bBadName) {
            std::string local = Md5OfFile(m_sInstallDir + file.name);
            record.m_bNeedDownload = local != file.md5;
            if (local != kMd5FileOpenFailed)
                record.m_sLocalMd5 = std::move(local);
        }
        if (!pauseSince(shown))
            return false;
        if (record.m_bNeedDownload)
            m_lstDownload.push_back(std::move(record));
    }
    if (list.unfinishedName) {
        onEntry(*list.unfinishedName);
        if (!pauseSince(::timeGetTime()))
            return false;
    }
    return true;
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
