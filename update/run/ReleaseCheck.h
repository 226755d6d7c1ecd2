// The launcher's side of signed releases. With keys configured, a run takes
// the mirror's release only when release.sig vouches for it: signed by a
// configured key, not expired, not older than the highest release this
// installation accepted, and every text and file as signed. Without keys
// every check passes and nothing is fetched, so the protocol stays as it was.
#pragma once

#include <string>

#include "update/format/FileDigests.h"
#include "update/format/ReleaseSignature.h"

class CUpdateStore;
struct FileRecord;

// After "ver.html" arrived from mirror: fetches and checks release.sig and
// keeps the accepted manifest in the store.
ReleaseVerdict CheckReleaseOfVersion(CUpdateStore& store, const std::string& mirror);
// After "file.html" arrived: it must be the signed list.
ReleaseVerdict CheckReleaseOfFileList(const CUpdateStore& store);
// What a downloaded file is checked by: its SHA-256 when the release is
// signed, else its MD5.
FileDigest DownloadDigest(const CUpdateStore& store);
// A downloaded file, before it replaces anything: its SHA-256 as signed, or
// without signing its MD5 as listed (digests as DownloadDigest takes them).
bool IsDownloadAsListed(const CUpdateStore& store, const FileRecord& record, const std::string& md5,
                        const Sha256Digest& sha256);
// Remembers the run's release as accepted (nothing without signing); false,
// with a line in the update log, when it could not be saved.
bool RecordAcceptedRelease(const CUpdateStore& store);

// The status line of a refused release, and its line in the update log.
std::string RefusalStatusText(ReleaseVerdict verdict);
void LogRefusal(ReleaseVerdict verdict, const std::string& what);
