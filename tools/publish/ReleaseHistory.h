// The record of the releases a mirror has served, for publish prune: a copy
// of each release's patches.txt under MIRROR_DIR/releases/, numbered in the
// order published ("releases/000001.patches.txt", ...). Launchers never read
// this folder. The index names the stamp it belongs to; a release published
// again under the stamp of the newest record replaces that record.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "update/format/PatchIndex.h"

inline constexpr char kReleaseHistoryFolder[] = "releases";

struct RecordedRelease {
    std::filesystem::path path;  // below the mirror, e.g. releases/000003.patches.txt
    unsigned long number = 0;
    PatchIndex index;
};

// The records, oldest first. A record that is not a readable index goes to
// `problems` (prune then removes nothing).
std::vector<RecordedRelease> ReadReleaseHistory(const std::filesystem::path& mirror,
                                                std::vector<std::string>& problems);

// Records `indexText`, the patches.txt of the release now served, written
// to a temporary file and renamed into place. Throws on failure.
void RecordRelease(const std::filesystem::path& mirror, const std::string& indexText,
                   const std::string& stamp);
