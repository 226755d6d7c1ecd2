// Compressed copies and patches with libzstd, as the launcher decodes them:
// one frame with the content size in its header (the launcher maps the
// output by it), optionally against the old file as a raw prefix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "update/format/FileDigests.h"

// Level 19 is zstd's strongest level below the "ultra" ones, whose larger
// tables cost the operator minutes per release for a few per cent.
inline constexpr int kZstdLevel = 19;

// The probe that tells whether level 19 can pay on a file: level 3, over the
// same window, with long-distance matching for the repeats far back that its
// small tables would miss; about 75 MB/s on data that does not compress
// (level 1 is faster but misses more of what level 19 finds).
inline constexpr int kProbeLevel = 3;

struct ZstdSettings {
    int windowLog = 0;  // 0 for the level's own
    bool longDistance = false;
    std::string_view prefix;  // a patch's old file; empty for a compressed copy
    int level = kZstdLevel;
};

// Told the bytes of the source compressed so far, as a running total.
using CompressProgress = std::function<void(uint64_t done)>;

// Compresses `source`, which must be `size` bytes long, into `target`, and
// gives the compressed size; with an empty `target` only counts the bytes.
// Every byte read also goes to `digests`, so the caller learns what was
// compressed. Nothing, with `error` set, when reading, compressing or writing
// fails.
std::optional<uint64_t> CompressFile(const std::filesystem::path& source, uint64_t size,
                                     const ZstdSettings& settings,
                                     const std::filesystem::path& target, FileDigests& digests,
                                     std::string& error, const CompressProgress& progress = {});

// Whether `source` (`size` bytes) shrinks by `saving` bytes or more at the
// probe's level, over a window of 2^windowLog bytes. It stops reading once
// that is certain (what is left can only grow by a few bytes a block);
// `readWhole` says whether it read to the end, so that `digests` saw every
// byte. Nothing, with `error` set, when reading fails.
struct ProbeResult {
    bool saves = false;
    bool readWhole = false;
};
std::optional<ProbeResult> ProbeFile(const std::filesystem::path& source, uint64_t size,
                                     int windowLog, uint64_t saving, FileDigests& digests,
                                     std::string& error);

// Writes `source` (`size` bytes) into `target` as a zstd frame of raw blocks,
// with the content size in its header and a 128 KiB window: what a file that
// does not compress becomes where every file has an object, read like any
// other by every zstd decoder. Gives the frame's size; as CompressFile
// otherwise.
std::optional<uint64_t> StoreFile(const std::filesystem::path& source, uint64_t size,
                                  const std::filesystem::path& target, FileDigests& digests,
                                  std::string& error, const CompressProgress& progress = {});

// The smallest window log that covers `bytes`, within zstd's range and `cap`.
int WindowLogFor(uint64_t bytes, int cap);
