#include "tools/publish/PatchIndexCheck.h"

#include "tools/publish/FileText.h"
#include "tools/publish/ZstdDecode.h"
#include "update/format/PatchIndex.h"

namespace fs = std::filesystem;

namespace {

void CheckObject(const fs::path& mirror, const std::string& object, uint64_t size,
                 std::vector<std::string>& problems) {
    std::error_code error;
    const uint64_t found = fs::file_size(mirror / object, error);
    if (error)
        problems.push_back("OBJECT  " + object + " is listed in patches.txt but missing");
    else if (found != size)
        problems.push_back("OBJECT  " + object + ": listed " + std::to_string(size) +
                           " bytes, found " + std::to_string(found));
}

}  // namespace

std::vector<std::string> CheckPatchIndex(const fs::path& mirror,
                                         const std::vector<ReleasePublicKey>& keys,
                                         const std::string& stamp) {
    std::vector<std::string> problems;
    const auto text = ReadFileBytes(mirror / kPatchIndexName);
    if (!text)
        return problems;
    const auto index = text->size() <= kPatchIndexCap ? ParsePatchIndex(*text, keys) : std::nullopt;
    if (!index) {
        problems.push_back(keys.empty()
                               ? "INDEX   patches.txt is malformed"
                               : "INDEX   patches.txt is malformed or not signed by the key");
        return problems;
    }
    if (index->stamp != stamp)
        problems.push_back("INDEX   patches.txt is for stamp " + index->stamp + ", not " + stamp);
    for (const auto& [md5, size] : index->compressed) {
        const std::string object = CompressedObjectPath(md5);
        const size_t before = problems.size();
        CheckObject(mirror, object, size, problems);
        if (problems.size() == before &&
            DecodedMd5(mirror / object, {}, kCompressedWindowLogMax) != md5)
            problems.push_back("OBJECT  " + object +
                               " does not decode to the file it is named after");
    }
    for (const auto& [pair, size] : index->patches)
        CheckObject(mirror, PatchObjectPath(pair.first, pair.second), size, problems);
    return problems;
}
