#include "tools/publish/ReleaseScan.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "identity/HexCodec.h"
#include "identity/Md5.h"
#include "tools/publish/NativePath.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const char kBadCharacter[] = "is not a valid Windows file name in the ANSI code page";
#else
const char kBadCharacter[] =
    "is not a valid Windows file name in the ANSI code page (names are read as UTF-8; "
    "use --name-encoding gbk for GBK names)";
#endif

// The problem with one component of a release path, or an empty text.
// Names are ANSI (GBK) text, so the second byte of a character is skipped.
std::string ComponentProblem(const std::string& component) {
    for (size_t i = 0; i < component.size(); ++i) {
        const char c = component[i];
        if (IsGbkLeadByte(c) && i + 1 < component.size() &&
            static_cast<unsigned char>(component[i + 1]) >= 0x40) {
            ++i;
        } else if (c == '\r' || c == '\n') {
            return "contains a line break";
        } else if (c == '\\') {
            return "contains a backslash, which the launcher reads as a folder separator";
        } else if (static_cast<unsigned char>(c) < 0x20 ||
                   std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
            // '?' is also what a character outside the ANSI code page becomes.
            return kBadCharacter;
        }
    }
    return {};
}

std::string ListedName(const fs::path& relative, NameEncoding encoding, std::string& problem) {
    std::string name;
    for (const fs::path& part : relative) {
        const std::string component = ToAnsiName(part, encoding);
        if (problem.empty())
            problem = ComponentProblem(component);
        name += '\\';
        name += component;
    }
    if (!problem.empty())
        return name;
    if (name.size() > kScrambleMaxLength) {
        problem = "is " + std::to_string(name.size()) +
                  " bytes long; a listed name holds at most " + std::to_string(kScrambleMaxLength);
    } else if (!IsSafeListedName(name)) {
        problem =
            "is not a name Windows stores as a file of its own below the installation (a '..' "
            "folder, a device name such as CON or AUX.txt, a trailing dot or blank, or a GBK "
            "character cut short)";
    }
    return name;
}

// Names that differ, but are one file on Windows (letter case), or a file
// that another name needs as its folder.
void FindCollisions(const std::vector<ReleaseFile>& files, std::vector<std::string>& problems) {
    std::vector<std::string_view> names;
    for (const ReleaseFile& file : files)
        names.push_back(file.entry.name);
    const std::vector<bool> colliding = FindFoldedCollisions(names);
    std::map<std::string, std::vector<const ReleaseFile*>> byFolded;
    for (size_t i = 0; i < files.size(); ++i) {
        if (colliding[i])
            byFolded[FoldListedName(names[i])].push_back(&files[i]);
    }
    for (const auto& [folded, group] : byFolded) {
        std::string text;
        for (const ReleaseFile* file : group)
            text += (text.empty() ? "" : " and ") + ToNarrow(file->source);
        problems.push_back(text +
                           ": one file on Windows, whose names differ only in letter case, or a "
                           "file where another needs a folder of its name");
    }
}

}  // namespace

ReleaseScan ScanRelease(const fs::path& releaseDir, NameEncoding encoding) {
    ReleaseScan scan;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(releaseDir)) {
        if (!item.is_regular_file())
            continue;
        std::string problem;
        ReleaseFile file;
        file.source = item.path();
        file.entry.name = ListedName(fs::relative(item.path(), releaseDir), encoding, problem);
        if (!problem.empty()) {
            scan.problems.push_back(ToNarrow(item.path()) + ": " + problem);
            continue;
        }
        scan.files.push_back(std::move(file));
    }
    std::sort(scan.files.begin(), scan.files.end(), [](const ReleaseFile& a, const ReleaseFile& b) {
        return a.entry.name < b.entry.name;
    });
    FindCollisions(scan.files, scan.problems);
    return scan;
}

std::string StampFromContent(const std::vector<ReleaseFile>& files) {
    std::string summary;
    for (const ReleaseFile& file : files) {
        summary +=
            file.entry.name + '\n' + std::to_string(file.entry.size) + '\n' + file.entry.md5 + '\n';
    }
    // A NUL would end the digested text early; names never contain one.
    return Md5OfText(summary).substr(0, kVersionStampLength);
}
