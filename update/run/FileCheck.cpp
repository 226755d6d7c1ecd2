#include "update/run/FileCheck.h"

#include <windows.h>
#include <mmsystem.h>

#include <string_view>
#include <vector>

#include "identity/Md5.h"
#include "update/format/MirrorFormat.h"
#include "update/net/StopSignal.h"

namespace {

// The least time an entry of the list takes.
constexpr DWORD kEntryPauseMs = 5;

// Sleeps what is left of the pause since shown; false when stopped.
bool PauseSince(StopSignal* stop, DWORD shown) {
    const DWORD spent = ::timeGetTime() - shown;
    const DWORD rest = spent < kEntryPauseMs ? kEntryPauseMs - spent : 0;
    if (stop)
        return rest ? stop->Sleep(rest) : !stop->IsStopped();
    ::Sleep(rest);
    return true;
}

}  // namespace

bool CheckInstalledFiles(const std::string& fileListText, const std::string& installDir,
                         StopSignal* stop, std::list<FileRecord>& downloads) {
    if (fileListText.empty())
        return true;
    const FileList list = DecodeFileList(fileListText);
    std::vector<std::string_view> names;
    names.reserve(list.files.size());
    for (const ListedFile& file : list.files)
        names.push_back(file.name);
    // Two names that fold to one are one file on Windows: hashing either
    // would read the other's bytes.
    const std::vector<bool> collides = FindFoldedCollisions(names);
    for (size_t i = 0; i < list.files.size(); ++i) {
        const ListedFile& file = list.files[i];
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
            std::string local = Md5OfFile(installDir + file.name);
            record.m_bNeedDownload = local != file.md5;
            if (local != kMd5FileOpenFailed)
                record.m_sLocalMd5 = std::move(local);
        }
        if (!PauseSince(stop, shown))
            return false;
        if (record.m_bNeedDownload)
            downloads.push_back(std::move(record));
    }
    // A last entry cut short still takes its pause.
    return !list.unfinishedName || PauseSince(stop, ::timeGetTime());
}
