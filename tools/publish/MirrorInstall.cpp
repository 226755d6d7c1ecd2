#include "tools/publish/MirrorInstall.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "update/format/PatchIndex.h"
#include "update/format/ReleaseSignature.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesBelow(const fs::path& root) {
    std::vector<fs::path> files;
    if (!fs::is_directory(root))
        return files;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files.push_back(item.path().lexically_relative(root));
    }
    return files;
}

void MoveIn(const fs::path& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::rename(from, to);
}

void MoveAll(const fs::path& staging, const fs::path& mirror, const char* folder) {
    for (const fs::path& relative : FilesBelow(staging / folder))
        MoveIn(staging / folder / relative, mirror / folder / relative);
}

// Files of an earlier release, and the folders they leave empty.
void RemoveStale(const fs::path& plaza, const std::set<fs::path>& listed) {
    for (const fs::path& relative : FilesBelow(plaza)) {
        if (listed.count(relative) == 0)
            fs::remove(plaza / relative);
    }
    std::vector<fs::path> folders;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(plaza)) {
        if (item.is_directory())
            folders.push_back(item.path());
    }
    // Deeper folders sort after their parents: empty the deepest first.
    std::sort(folders.rbegin(), folders.rend());
    for (const fs::path& folder : folders) {
        if (fs::is_empty(folder))
            fs::remove(folder);
    }
}

}  // namespace

void InstallRelease(const fs::path& staging, const fs::path& mirror) {
    fs::create_directories(mirror / "plaza");
    const std::vector<fs::path> plaza = FilesBelow(staging / "plaza");
    MoveAll(staging, mirror, "plaza");
    MoveAll(staging, mirror, "zst");
    MoveAll(staging, mirror, "patch");
    MoveIn(staging / "file.html", mirror / "file.html");
    if (fs::exists(staging / kReleaseSigName))
        MoveIn(staging / kReleaseSigName, mirror / kReleaseSigName);
    else
        fs::remove(mirror / kReleaseSigName);
    MoveIn(staging / kPatchIndexName, mirror / kPatchIndexName);
    MoveIn(staging / "ver.html", mirror / "ver.html");
    try {
        RemoveStale(mirror / "plaza", std::set<fs::path>(plaza.begin(), plaza.end()));
    } catch (const fs::filesystem_error& e) {
        // The new release is in place: what is left only takes room.
        std::fprintf(stderr, "publish make: files of the old release are left: %s\n", e.what());
    }
}
