#include "update/run/VerifiedTemp.h"

#include <windows.h>

#include "identity/Md5.h"
#include "update/format/Sha256File.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateStore.h"

bool IsVerifiedTemp(const CUpdateStore& store, const FileRecord& record, const std::string& temp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (record.m_nSize < 0 || !::GetFileAttributesExA(temp.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) !=
            static_cast<uint64_t>(record.m_nSize)) {
        return false;
    }
    // Checked as a download is: by its SHA-256 alone when the release is
    // signed.
    if (DownloadDigest(store) == FileDigest::Md5)
        return IsDownloadAsListed(store, record, Md5OfFile(temp), {});
    const auto sha256 = Sha256OfFile(temp);
    return sha256 && IsDownloadAsListed(store, record, {}, *sha256);
}
