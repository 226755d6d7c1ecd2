// Compressed copies and patches with libzstd, as the launcher decodes them:
// one frame with the content size in its header (the launcher maps the
// output by it), optionally against the old file as a raw prefix.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "update/format/FileDigests.h"

// Level 19 is zstd's strongest level below the "ultra" ones, whose larger
// tables cost the operator minutes per release for a few per cent.
inline constexpr int kZstdLevel = 19;

struct ZstdSettings {
    int windowLog = 0;  // 0 for the level's own
    bool longDistance = false;
    std::string_view prefix;  // a patch's old file; empty for a compressed copy
};

// Compresses `source`, which must be `size` bytes long, into `target`, and
// gives the compressed size. Every byte read also goes to `digests`, so the
// caller learns what was compressed. Nothing, with `error` set, when reading,
// compressing or writing fails.
std::optional<uint64_t> CompressFile(const std::filesystem::path& source, uint64_t size,
                                     const ZstdSettings& settings,
                                     const std::filesystem::path& target, FileDigests& digests,
                                     std::string& error);

// The smallest window log that covers `bytes`, within zstd's range and `cap`.
int WindowLogFor(uint64_t bytes, int cap);
