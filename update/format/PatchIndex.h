// "patches.txt": which content-addressed objects a mirror holds beside the
// plain files, so a launcher asks only for objects that exist. Text lines,
// LF-terminated:
//
//   launcher-patches 1
//   stamp STAMP                     (the stamp of ver.html it belongs to)
//   zst MD5 SIZE                    ("zst/<md5>.zst": the file, compressed)
//   patch NEWMD5 OLDMD5 SIZE        ("patch/<new>-<old>.zst": old -> new)
//   signature ED25519HEX            (signed releases only)
//
// MD5s are 32 lower-case hex digits, sizes the object's bytes. The objects
// never change once published, so caches may keep them for ever; the index
// changes with every release and is revalidated like ver.html. A signed
// index is signed with the release key; release.sig itself stays as it was,
// so launchers that know nothing of patches still accept the release.
//
// Pure: shared by the launcher and the publish tool.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "update/format/ReleaseSignature.h"
#include "update/format/TextCaps.h"

inline constexpr char kPatchIndexName[] = "patches.txt";

// A patch is applied between mapped views of the old and the new file, and
// both must fit a 32-bit launcher's address space beside everything else: a
// larger pair gets no patch, and the compressed copy or the plain file is
// fetched instead.
inline constexpr uint64_t kPatchPairCap = 768ull * 1024 * 1024;
// Patches reach back over the whole old file: their window covers the pair
// (zstd's 32-bit limit is 2^30).
inline constexpr int kPatchWindowLogMax = 30;
// Compressed copies are decoded as a stream into the .tmp file, so their
// window is held in memory: 32 MiB keeps the decoder well under 64 MiB.
inline constexpr int kCompressedWindowLogMax = 25;

struct PatchIndex {
    std::string stamp;
    std::map<std::string, uint64_t> compressed;                       // md5 -> size
    std::map<std::pair<std::string, std::string>, uint64_t> patches;  // (new, old) -> size
};

// The index as text, unsigned; empty when the stamp holds a line break, NUL
// or blank, or an MD5 is not 32 lower-case hex digits.
std::string FormatPatchIndex(const PatchIndex& index);

// Reads an index. With keys, only an index whose last line is a signature by
// one of them is read; without keys a signature line is ignored. Nothing for
// anything malformed: an index is an offer, and a launcher that cannot read
// it fetches plain files.
std::optional<PatchIndex> ParsePatchIndex(std::string_view text,
                                          const std::vector<ReleasePublicKey>& keys);

// Object paths below the mirror's root.
std::string CompressedObjectPath(const std::string& md5);
std::string PatchObjectPath(const std::string& newMd5, const std::string& oldMd5);
