#include "tools/publish/PatchIndexCheck.h"

#include <zstd.h>

#include <cstdio>
#include <memory>

#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "update/FileDigests.h"
#include "update/PatchIndex.h"

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
struct StreamFree {
    void operator()(ZSTD_DStream* stream) const { ZSTD_freeDStream(stream); }
};

// The MD5 of what a compressed object decodes to; empty when it does not
// decode to the end of one frame.
std::string DecodedMd5(const fs::path& path) {
    const std::unique_ptr<std::FILE, FileCloser> in(std::fopen(ToNarrow(path).c_str(), "rb"));
    const std::unique_ptr<ZSTD_DStream, StreamFree> stream(ZSTD_createDStream());
    if (!in || !stream ||
        ZSTD_isError(
            ZSTD_DCtx_setParameter(stream.get(), ZSTD_d_windowLogMax, kCompressedWindowLogMax))) {
        return {};
    }
    std::vector<uint8_t> inBlock(ZSTD_DStreamInSize());
    std::vector<uint8_t> outBlock(ZSTD_DStreamOutSize());
    FileDigests digests;
    size_t pending = 1;  // 0 once a frame is complete
    while (size_t got = std::fread(inBlock.data(), 1, inBlock.size(), in.get())) {
        ZSTD_inBuffer input{inBlock.data(), got, 0};
        while (input.pos < input.size) {
            if (pending == 0)
                return {};  // bytes after the frame
            ZSTD_outBuffer output{outBlock.data(), outBlock.size(), 0};
            pending = ZSTD_decompressStream(stream.get(), &output, &input);
            if (ZSTD_isError(pending))
                return {};
            digests.Update(outBlock.data(), output.pos);
        }
    }
    return pending == 0 && !std::ferror(in.get()) ? digests.Md5Hex() : std::string();
}

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
        if (problems.size() == before && DecodedMd5(mirror / object) != md5)
            problems.push_back("OBJECT  " + object +
                               " does not decode to the file it is named after");
    }
    for (const auto& [pair, size] : index->patches)
        CheckObject(mirror, PatchObjectPath(pair.first, pair.second), size, problems);
    return problems;
}
