#include "update/run/VerifiedTemp.h"

#include "identity/Md5.h"
#include "update/format/Sha256File.h"
#include "update/run/DownloadStep.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateStore.h"

bool IsVerifiedTemp(const CUpdateStore& store, const FileRecord& record, const std::string& temp) {
    // A missing .tmp of an empty file gets this far too, and fails its
    // digest, which no missing file passes.
    if (record.m_nSize < 0 || FileLength(temp) != static_cast<uint64_t>(record.m_nSize))
        return false;
    // Checked as a download is: by its SHA-256 alone when the release is
    // signed.
    if (DownloadDigest(store) == FileDigest::Md5)
        return IsDownloadAsListed(store, record, Md5OfFile(temp), {});
    const auto sha256 = Sha256OfFile(temp);
    return sha256 && IsDownloadAsListed(store, record, {}, *sha256);
}
