// publish prune: the zst/ and patch/ objects that no launcher can still be
// asked for. A launcher fetches only objects named by the patches.txt it
// read; it reads the index of the release it updates to, and one that read
// an index before the release changed may still be fetching what that index
// named. So the objects that the last N releases' indexes name stay, and so
// does everything the current patches.txt names, whatever the records say.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "tools/publish/Commands.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/ReleaseHistory.h"
#include "update/format/PatchIndex.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: publish prune MIRROR_DIR --keep N [--apply]\n"
    "\n"
    "Lists the objects under MIRROR_DIR/zst/ and MIRROR_DIR/patch/ that none of\n"
    "the last N releases' indexes name (the copies of patches.txt that publish\n"
    "make keeps under MIRROR_DIR/releases/) and the bytes they take. Nothing is\n"
    "deleted without --apply. What the current MIRROR_DIR/patches.txt names is\n"
    "never removed, and neither is any other file: only objects named as publish\n"
    "names them. N is at least 1 (the current release alone). Releases published\n"
    "before publish kept records are not counted: the first prune after an\n"
    "upgrade keeps only what the recorded releases name.\n";

struct PruneOptions {
    fs::path mirror;
    unsigned long keep = 0;
    bool apply = false;
};

bool ParseOptions(const Args& args, PruneOptions& options) {
    std::vector<std::string> positional;
    bool haveKeep = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--keep" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value.empty() || value.size() > 6 ||
                value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(value) == 0)
                return false;
            options.keep = std::stoul(value);
            haveKeep = true;
        } else if (args[i] == "--apply") {
            options.apply = true;
        } else if (args[i].rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1 || !haveKeep)
        return false;
    options.mirror = FromNarrow(positional[0]);
    return true;
}

void Name(const PatchIndex& index, std::set<std::string>& named) {
    for (const auto& [md5, size] : index.compressed)
        named.insert(CompressedObjectPath(md5));
    for (const auto& [pair, size] : index.patches)
        named.insert(PatchObjectPath(pair.first, pair.second));
}

bool IsMd5(const std::string& text, size_t at) {
    if (text.size() < at + 32)
        return false;
    for (size_t i = at; i < at + 32; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// Whether `name` (a file name in `folder`) is an object as publish names it:
// "<md5>.zst" in zst/, "<md5>-<md5>.zst" in patch/.
bool IsObjectName(const std::string& folder, const std::string& name) {
    if (folder == "zst")
        return name.size() == 36 && IsMd5(name, 0) && name.compare(32, 4, ".zst") == 0;
    return name.size() == 69 && IsMd5(name, 0) && name[32] == '-' && IsMd5(name, 33) &&
           name.compare(65, 4, ".zst") == 0;
}

int Refuse(const std::string& problem) {
    std::fprintf(stderr, "publish prune: %s\npublish prune: nothing was removed\n",
                 problem.c_str());
    return 1;
}

}  // namespace

int RunPrune(const Args& args) {
    PruneOptions options;
    if (auto exit = UsageExit(args, kUsage, ParseOptions(args, options)))
        return *exit;
    const fs::path& mirror = options.mirror;
    const auto current = ReadFileBytes(mirror / kPatchIndexName);
    const auto currentIndex =
        current && current->size() <= kPatchIndexCap ? ParsePatchIndex(*current, {}) : std::nullopt;
    if (!currentIndex)
        return Refuse(ToNarrow(mirror / kPatchIndexName) + " is missing or unreadable");
    std::vector<std::string> problems;
    const std::vector<RecordedRelease> records = ReadReleaseHistory(mirror, problems);
    if (!problems.empty())
        return Refuse(problems.front());

    std::set<std::string> named;
    Name(*currentIndex, named);
    const size_t first = records.size() > options.keep ? records.size() - options.keep : 0;
    for (size_t i = first; i < records.size(); ++i)
        Name(records[i].index, named);
    std::printf("keeping what the current patches.txt and the last %zu recorded release%s name",
                records.size() - first, records.size() - first == 1 ? "" : "s");
    for (size_t i = first; i < records.size(); ++i)
        std::printf("%s %s (stamp %s)", i == first ? ":" : ",", ToNarrow(records[i].path).c_str(),
                    records[i].index.stamp.c_str());
    std::printf("\n");
    if (records.size() < options.keep)
        std::printf("note: only %zu release%s recorded under %s/\n", records.size(),
                    records.size() == 1 ? " is" : "s are", kReleaseHistoryFolder);

    uint64_t freed = 0;
    size_t removed = 0;
    size_t kept = 0;
    for (const char* folder : {"zst", "patch"}) {
        if (!fs::is_directory(mirror / folder))
            continue;
        std::vector<std::string> names;
        for (const fs::directory_entry& item : fs::directory_iterator(mirror / folder)) {
            if (item.is_regular_file())
                names.push_back(ToNarrow(item.path().filename()));
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string object = std::string(folder) + "/" + name;
            if (!IsObjectName(folder, name))
                continue;
            if (named.count(object) != 0) {
                ++kept;
                continue;
            }
            const fs::path path = mirror / folder / FromNarrow(name);
            std::error_code error;
            const uint64_t size = fs::file_size(path, error);
            if (options.apply && !error)
                fs::remove(path, error);
            if (error) {
                std::fprintf(stderr, "publish prune: cannot remove %s: %s\n", object.c_str(),
                             error.message().c_str());
                return 1;
            }
            std::printf("%s %s %llu bytes\n", options.apply ? "removed" : "would remove",
                        object.c_str(), static_cast<unsigned long long>(size));
            freed += size;
            ++removed;
        }
    }
    if (options.apply)
        std::printf("freed %llu bytes in %zu objects; %zu objects kept\n",
                    static_cast<unsigned long long>(freed), removed, kept);
    else
        std::printf(
            "would free %llu bytes in %zu objects; %zu objects kept "
            "(a dry run: --apply removes them)\n",
            static_cast<unsigned long long>(freed), removed, kept);
    return 0;
}
