// The launcher's side of signed releases. With keys configured, a run takes
// the mirror's release only when release.sig vouches for it: signed by a
// configured key, not expired, not older than the highest release this
// installation accepted, and every text and file as signed. Without keys
// every check passes and nothing is fetched, so the protocol stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "update/ReleaseSignature.h"

class CUpdateStore;

// Caps on the mirror's texts: a mirror cannot make the launcher hold more.
inline constexpr size_t kVersionTextCap = 64 * 1024;
inline constexpr size_t kFileListCap = 32 * 1024 * 1024;
// One line per listed file, so it grows with the file list.
inline constexpr size_t kReleaseSigCap = 32 * 1024 * 1024;

// The highest release number accepted here, kept in "release.ini" beside
// "ver.ini": 0 when there is no such file (a fresh installation), nothing
// when it exists but cannot be read or holds anything but one number. Read
// as 0, a damaged file would let any older release back in.
std::optional<uint64_t> ReadHighestRelease(const std::string& installDir);
std::string HighestReleasePath(const std::string& installDir);
// Replaces "release.ini" in one step, flushed to the disk first, so a crash
// leaves the old or the new number and never a torn one. On failure the
// last error says why.
bool SaveHighestRelease(const std::string& installDir, uint64_t release);

// After "ver.html" arrived from mirror: fetches and checks release.sig and
// keeps the accepted manifest in the store.
ReleaseVerdict CheckReleaseOfVersion(CUpdateStore& store, const std::string& mirror);
// After "file.html" arrived: it must be the signed list.
ReleaseVerdict CheckReleaseOfFileList(const CUpdateStore& store);
// A downloaded file, before it replaces anything: its SHA-256 as signed.
bool IsDownloadAsSigned(const CUpdateStore& store, const std::string& name,
                        const Sha256Digest& sha256);
// Remembers the run's release as accepted (nothing without signing); false,
// with a line in the update log, when it could not be saved.
bool RecordAcceptedRelease(const CUpdateStore& store);

// The status line of a refused release, and its line in the update log.
std::string RefusalStatusText(ReleaseVerdict verdict);
void LogRefusal(ReleaseVerdict verdict, const std::string& what);
