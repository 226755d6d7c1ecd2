// The content-addressed objects of a release beside plaza/: a compressed
// copy of every file ("zst/<md5>.zst") and a direct patch from each earlier
// release given for every file that changed ("patch/<new>-<old>.zst"), made
// in the staging folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/publish/ReleaseScan.h"
#include "update/format/PatchIndex.h"

// A patch is kept when it is under four fifths of what the launcher would
// fetch without it (the compressed copy or the plain file). Below that a
// patch is worth its cost: it helps only players on that one old release,
// it needs the old file intact and mapped, and a failure costs a second
// download; a cached compressed copy serves every player.
inline constexpr uint64_t kPatchKeepPercent = 80;

struct TransferTotals {
    size_t files = 0;
    uint64_t fullBytes = 0;
    uint64_t compressedBytes = 0;  // the compressed copy where there is one
    uint64_t patchBytes = 0;       // the patches kept
    uint64_t movedBytes = 0;       // the patch, else the compressed copy, else the file
};

struct ReleaseObjects {
    PatchIndex index;  // without its stamp
    TransferTotals wholeRelease;
    std::vector<std::pair<std::string, TransferTotals>> fromOld;  // old mirror, its totals
};

struct ObjectSources {
    std::filesystem::path staging;                  // holds plaza/; receives zst/ and patch/
    std::filesystem::path mirror;                   // the target, whose objects are reused
    std::vector<std::filesystem::path> oldMirrors;  // releases to patch from
    bool sha256 = false;                            // signed: check SHA-256 when reading back
};

// Reads every staged plaza/ file back (it must be as listed, and as signed),
// compressing it on the way, then makes the patches. An object the target
// mirror holds already is kept when it decodes to its file. A copy or patch
// that cannot be made is left out with a note; problems that make the
// release unusable go to `problems`.
ReleaseObjects MakeObjects(const ObjectSources& sources, const std::vector<ReleaseFile>& files,
                           std::vector<std::string>& problems);

void PrintTransferTable(const ReleaseObjects& objects);
