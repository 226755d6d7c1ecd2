#include "update/place/LocalVersion.h"

#include <windows.h>

#include <fstream>

#include "update/place/AtomicFile.h"

namespace {

// "ver.ini" was read into a 260-byte buffer: a longer word is another version.
constexpr size_t kMaxStampWord = 259;

}  // namespace

std::string LocalVersionPath(const std::string& installDir) {
    return installDir + "ver.ini";
}

bool IsLocalVersion(const std::string& installDir, const std::string& stamp) {
    // The narrow path is already in the system code page, which is what the
    // C runtime hands to the file system, so no locale switch is needed.
    std::ifstream in(LocalVersionPath(installDir));
    if (!in)
        return false;
    std::string word;
    in >> word;
    if (word.size() > kMaxStampWord)
        return false;
    return word == stamp;
}

bool SaveLocalVersion(const std::string& installDir, const std::string& stamp) {
    const std::string path = LocalVersionPath(installDir);
    if (ReplaceFileAtomically(path, stamp))
        return true;
    // Clear read-only (and hidden, system) for the next call, which the
    // caller makes; this call still reports the failure.
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return false;
}
