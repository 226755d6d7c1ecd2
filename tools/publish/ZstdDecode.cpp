#include "tools/publish/ZstdDecode.h"

#include <zstd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "tools/publish/FileText.h"
#include "update/format/FileDigests.h"

namespace {

struct ContextFree {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

}  // namespace

std::string DecodedMd5(const std::filesystem::path& path, std::string_view prefix,
                       int windowLogMax) {
    const StdioFile in = OpenFile(path, "rb");
    const std::unique_ptr<ZSTD_DCtx, ContextFree> context(ZSTD_createDCtx());
    if (!in || !context ||
        ZSTD_isError(ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, windowLogMax)) ||
        (!prefix.empty() &&
         ZSTD_isError(ZSTD_DCtx_refPrefix(context.get(), prefix.data(), prefix.size())))) {
        return {};
    }
    std::vector<uint8_t> inBlock(ZSTD_DStreamInSize());
    std::vector<uint8_t> outBlock(ZSTD_DStreamOutSize());
    FileDigests digests;
    size_t pending = 1;  // 0 once the frame is complete
    while (const size_t got = std::fread(inBlock.data(), 1, inBlock.size(), in.get())) {
        ZSTD_inBuffer input{inBlock.data(), got, 0};
        while (input.pos < input.size) {
            if (pending == 0)
                return {};  // bytes after the frame
            ZSTD_outBuffer output{outBlock.data(), outBlock.size(), 0};
            pending = ZSTD_decompressStream(context.get(), &output, &input);
            if (ZSTD_isError(pending))
                return {};
            digests.Update(outBlock.data(), output.pos);
        }
    }
    return pending == 0 && !std::ferror(in.get()) ? digests.Md5Hex() : std::string();
}
