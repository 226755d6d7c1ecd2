// The content-addressed objects of a release beside plaza/: a compressed
// copy of every file that compresses well ("zst/<md5>.zst") and a direct
// patch from each earlier release given for every file that changed
// ("patch/<new>-<old>.zst"), made in the staging folder, a file to a thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/publish/Progress.h"
#include "tools/publish/ReleaseScan.h"
#include "update/format/PatchIndex.h"

// A compressed copy is kept when it saves at least a tenth of the file.
inline constexpr uint64_t kCompressedKeepPercent = 90;
// Level 19 is spent only on a file that the probe (ZstdEncode.h: level 3,
// the same window, long-distance matching) shrinks by 3 % or more. Already
// compressed data (textures, audio, video, archives) probes at 0 %. On 50
// files of every kind (archives, images, fonts, executables, PDF, bytecode),
// wherever the probe saved under 15 %, level 19 saved at most 3.6 points
// more (a .tar.gz: 0 % probed, 3.6 % at level 19), so a file that probes
// under 3 % is far from the tenth asked above.
inline constexpr uint64_t kProbeKeepPercent = 97;

// What a file gets whose compressed copy would not save a tenth (the probe
// says so, or level 19 did): no object, the launcher fetching the plain
// file (None); or a stored frame (StoreFile: raw blocks, a few bytes more
// than the file) listed in patches.txt like any copy (Stored), so that every
// listed file has an object, read the same way. Stored: a launcher that
// reads the index then never asks for a plaza/ name, which the next release
// may fill with other bytes and which a cache that keys on the path would
// keep serving. An empty file gets its stored frame too.
enum class PlainFileObject { None, Stored };
inline constexpr PlainFileObject kPlainFileObject = PlainFileObject::Stored;
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
    unsigned jobs = 1;                              // threads, one file each
    Progress* progress = nullptr;                   // told of every byte done
};

// Reads every staged plaza/ file back (it must be as listed, and as signed),
// probing it on the way and compressing it where level 19 can pay, then makes
// the patches. An object the target mirror holds already is kept when it
// decodes to its file. A copy or patch that cannot be made is left out with a
// note; problems that make the release unusable go to `problems`. The
// objects and the index are the same whatever `jobs` is.
ReleaseObjects MakeObjects(const ObjectSources& sources, const std::vector<ReleaseFile>& files,
                           std::vector<std::string>& problems);

void PrintTransferTable(const ReleaseObjects& objects);
