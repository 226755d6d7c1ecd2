// Ownership of an open minizip archive: closing it also closes a member that
// is still open, so every path that drops the owner leaves nothing open.
#pragma once

#include <memory>
#include <string>

#include "unzip.h"

namespace SkinUI {

struct UnzipCloser {
    void operator()(void* archive) const {
        if (archive)
            unzClose(archive);
    }
};
using UnzipArchive = std::unique_ptr<void, UnzipCloser>;

inline UnzipArchive OpenUnzipArchive(const std::string& path) {
    return UnzipArchive(unzOpen64(path.c_str()));
}

// Looks a member up the way the skin names it: ASCII letters in any case,
// every other byte exact. Names of 256 bytes or more are never found.
inline bool LocateMember(void* archive, const std::string& name) {
    constexpr int kIgnoreAsciiCase = 2;
    return name.size() < 256 && unzLocateFile(archive, name.c_str(), kIgnoreAsciiCase) == UNZ_OK;
}

}  // namespace SkinUI
