// A changed file fetched as less than itself, when the mirror's patch index
// offers it: the patch from the local copy, else the compressed copy. Either
// is applied or decoded into the .tmp while its bytes arrive, and the result
// is checked exactly as a plain download is: its MD5, or its SHA-256 alone
// when the release is signed. Nothing else about the object is trusted. Any
// failure deletes the .tmp, writes one line in the update log and leaves the
// file to the plain download: one more request for it, never a loop, and the
// other files are not touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "update/format/ReleaseSignature.h"

class CUpdateStore;
class StopSignal;
struct FileRecord;

struct DeltaFetch {
    // DiskFull: the disk has no room for the file, which a plain download
    // would not find either.
    enum class Outcome { NotOffered, Fetched, Failed, Stopped, DiskFull };
    Outcome outcome = Outcome::NotOffered;
    uint64_t length = 0;  // the file's, once fetched
    // The digest that DownloadDigest names; the other one stays empty.
    std::string md5;
    Sha256Digest sha256{};
};

// Hears each block of the object: its bytes, then the object's bytes so far
// and in all.
using DeltaProgress = std::function<void(size_t got, uint64_t received, uint64_t objectSize)>;

// target: the local copy (a patch's base); temp: where the new file goes;
// stop: the stop of this file's fetch. A patch that breaks off is not
// resumed: its .tmp goes, and the plain download starts from the beginning.
DeltaFetch FetchDelta(const CUpdateStore& store, StopSignal& stop, const FileRecord& record,
                      const std::string& target, const std::string& temp, size_t blockSize,
                      const DeltaProgress& onBlock);
