#include "tools/publish/ZstdEncode.h"

#include <zstd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"

namespace {

struct ContextFree {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};

bool Set(ZSTD_CCtx* context, ZSTD_cParameter parameter, int value, std::string& error) {
    const size_t result = ZSTD_CCtx_setParameter(context, parameter, value);
    if (ZSTD_isError(result))
        error = ZSTD_getErrorName(result);
    return !ZSTD_isError(result);
}

}  // namespace

int WindowLogFor(uint64_t bytes, int cap) {
    int log = ZSTD_WINDOWLOG_MIN;
    while (log < cap && (uint64_t{1} << log) < bytes)
        ++log;
    return log;
}

std::optional<uint64_t> CompressFile(const std::filesystem::path& source, uint64_t size,
                                     const ZstdSettings& settings,
                                     const std::filesystem::path& target, FileDigests& digests,
                                     std::string& error) {
    const std::unique_ptr<ZSTD_CCtx, ContextFree> context(ZSTD_createCCtx());
    if (!context) {
        error = "out of memory";
        return std::nullopt;
    }
    ZSTD_CCtx* cctx = context.get();
    if (!Set(cctx, ZSTD_c_compressionLevel, kZstdLevel, error) ||
        !Set(cctx, ZSTD_c_contentSizeFlag, 1, error) ||
        (settings.windowLog != 0 && !Set(cctx, ZSTD_c_windowLog, settings.windowLog, error)) ||
        (settings.longDistance && !Set(cctx, ZSTD_c_enableLongDistanceMatching, 1, error))) {
        return std::nullopt;
    }
    // zstd's own command line makes patches in its threaded mode (one worker),
    // whose long-distance matcher sees the new file whole: against a large
    // old file its patches come out markedly smaller (95 MB with 1 % changed:
    // 742 kB against 1.17 MB). A libzstd built without threads refuses the
    // setting, and the patch is made by the calling thread instead.
    if (!settings.prefix.empty())
        ZSTD_CCtx_setParameter(cctx, ZSTD_c_nbWorkers, 1);
    size_t result = ZSTD_CCtx_setPledgedSrcSize(cctx, size);
    if (!ZSTD_isError(result) && !settings.prefix.empty())
        result = ZSTD_CCtx_refPrefix(cctx, settings.prefix.data(), settings.prefix.size());
    if (ZSTD_isError(result)) {
        error = ZSTD_getErrorName(result);
        return std::nullopt;
    }
    const StdioFile in = OpenFile(source, "rb");
    StdioFile out = OpenFile(target, "wb");
    if (!in || !out) {
        error = "cannot open " + ToNarrow(in ? target : source);
        return std::nullopt;
    }
    std::vector<uint8_t> inBlock(ZSTD_CStreamInSize());
    std::vector<uint8_t> outBlock(ZSTD_CStreamOutSize());
    uint64_t written = 0;
    bool finished = false;
    while (!finished) {
        const size_t got = std::fread(inBlock.data(), 1, inBlock.size(), in.get());
        if (std::ferror(in.get())) {
            error = "cannot read " + ToNarrow(source);
            return std::nullopt;
        }
        digests.Update(inBlock.data(), got);
        const bool last = got < inBlock.size();
        ZSTD_inBuffer input{inBlock.data(), got, 0};
        do {
            ZSTD_outBuffer output{outBlock.data(), outBlock.size(), 0};
            // A file that is not `size` bytes long fails here against the
            // pledged size.
            result =
                ZSTD_compressStream2(cctx, &output, &input, last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(result)) {
                error = ToNarrow(source) + ": " + ZSTD_getErrorName(result);
                return std::nullopt;
            }
            if (std::fwrite(outBlock.data(), 1, output.pos, out.get()) != output.pos) {
                error = "cannot write " + ToNarrow(target);
                return std::nullopt;
            }
            written += output.pos;
            finished = last && result == 0;
        } while (last ? !finished : input.pos < input.size);
    }
    if (std::fclose(out.release()) != 0) {
        error = "cannot write " + ToNarrow(target);
        return std::nullopt;
    }
    return written;
}
