// Reads a release folder into the names it lists, refusing every name the
// launcher could not receive, would write somewhere else, or would store as
// one file with another.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/publish/NativePath.h"
#include "update/format/MirrorFormat.h"
#include "update/format/ReleaseSignature.h"

struct ReleaseFile {
    std::filesystem::path source;
    // The name as listed ("\Res\x.png"); the size and digests are taken
    // from the one read that copies the file into the mirror.
    ListedFile entry;
    Sha256Digest sha256{};  // zeros unless the release is signed
};

struct ReleaseScan {
    std::vector<ReleaseFile> files;     // sorted by listed name
    std::vector<std::string> problems;  // one line each; the release is unusable if any
};

ReleaseScan ScanRelease(const std::filesystem::path& releaseDir, NameEncoding encoding);

// A 20-character stamp without white space derived from the listed content,
// so the same release always gets the same stamp.
std::string StampFromContent(const std::vector<ReleaseFile>& files);
