// Reads a release folder into file-list entries, refusing every name the
// launcher could not receive or would write somewhere else.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/publish/NativePath.h"
#include "update/MirrorFormat.h"

struct ReleaseFile {
    std::filesystem::path source;
    ListedFile entry;  // name as listed ("\Res\x.png"), size, digest
};

struct ReleaseScan {
    std::vector<ReleaseFile> files;     // sorted by listed name
    std::vector<std::string> problems;  // one line each; the release is unusable if any
};

ReleaseScan ScanRelease(const std::filesystem::path& releaseDir, NameEncoding encoding);

// A 20-character stamp without white space derived from the listed content,
// so the same release always gets the same stamp.
std::string StampFromContent(const std::vector<ReleaseFile>& files);
