#include "tools/publish/ZstdEncode.h"

#include <zstd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
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

namespace {

// Told what has been compressed and produced so far; false stops early.
using CompressWatch = std::function<bool(const ZSTD_frameProgression&)>;

// CompressFile, with a watch that may stop it before the end (the size given
// is then what was produced so far, and the target is incomplete).
std::optional<uint64_t> CompressStream(const std::filesystem::path& source, uint64_t size,
                                       const ZstdSettings& settings,
                                       const std::filesystem::path& target, FileDigests& digests,
                                       std::string& error, const CompressWatch& watch) {
    const std::unique_ptr<ZSTD_CCtx, ContextFree> context(ZSTD_createCCtx());
    if (!context) {
        error = "out of memory";
        return std::nullopt;
    }
    ZSTD_CCtx* cctx = context.get();
    if (!Set(cctx, ZSTD_c_compressionLevel, settings.level, error) ||
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
    StdioFile out = target.empty() ? nullptr : OpenFile(target, "wb");
    if (!in || (!target.empty() && !out)) {
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
            if (out && std::fwrite(outBlock.data(), 1, output.pos, out.get()) != output.pos) {
                error = "cannot write " + ToNarrow(target);
                return std::nullopt;
            }
            written += output.pos;
            finished = last && result == 0;
            // What the workers have compressed, in the threaded mode too.
            if (watch && !watch(ZSTD_getFrameProgression(cctx)))
                return written;
        } while (last ? !finished : input.pos < input.size);
    }
    if (out && std::fclose(out.release()) != 0) {
        error = "cannot write " + ToNarrow(target);
        return std::nullopt;
    }
    return written;
}

}  // namespace

std::optional<uint64_t> CompressFile(const std::filesystem::path& source, uint64_t size,
                                     const ZstdSettings& settings,
                                     const std::filesystem::path& target, FileDigests& digests,
                                     std::string& error, const CompressProgress& progress) {
    CompressWatch watch;
    if (progress) {
        watch = [&](const ZSTD_frameProgression& done) {
            progress(done.consumed);
            return true;
        };
    }
    return CompressStream(source, size, settings, target, digests, error, watch);
}

std::optional<ProbeResult> ProbeFile(const std::filesystem::path& source, uint64_t size,
                                     int windowLog, uint64_t saving, FileDigests& digests,
                                     std::string& error) {
    // What is still to come can grow by no more than a raw block's 3-byte
    // header per block, and the frame's end; past that margin the saving is
    // certain, and the rest need not be read.
    const uint64_t margin = 3 * (size / ZSTD_BLOCKSIZE_MAX + 2) + 32;
    bool sure = false;
    const auto produced = CompressStream(source, size, {windowLog, true, {}, kProbeLevel}, {},
                                         digests, error, [&](const ZSTD_frameProgression& done) {
                                             sure =
                                                 done.consumed >= done.produced + saving + margin;
                                             return !sure;
                                         });
    if (!produced)
        return std::nullopt;
    if (sure)
        return ProbeResult{true, false};
    return ProbeResult{size - std::min(size, *produced) >= saving, true};
}

std::optional<uint64_t> StoreFile(const std::filesystem::path& source, uint64_t size,
                                  const std::filesystem::path& target, FileDigests& digests,
                                  std::string& error, const CompressProgress& progress) {
    // RFC 8878: the magic number; a frame header descriptor with a 4- or
    // 8-byte content size, no single segment, no checksum, no dictionary;
    // a window descriptor of 2^17 bytes (exponent 7), the largest a block
    // needs. Then raw blocks of up to 128 KiB, each after a 3-byte header
    // (bit 0: the last block, bits 1-2: type 0 = raw, bits 3-23: size).
    constexpr size_t kBlock = 128 * 1024;
    const bool wide = size >= (uint64_t{1} << 32);
    std::vector<uint8_t> header{0x28, 0xB5, 0x2F, 0xFD, static_cast<uint8_t>(wide ? 0xC0 : 0x80),
                                0x38};
    for (int i = 0; i < (wide ? 8 : 4); ++i)
        header.push_back(static_cast<uint8_t>(size >> (8 * i)));
    const StdioFile in = OpenFile(source, "rb");
    StdioFile out = OpenFile(target, "wb");
    if (!in || !out) {
        error = "cannot open " + ToNarrow(in ? target : source);
        return std::nullopt;
    }
    uint64_t written = header.size();
    bool ok = std::fwrite(header.data(), 1, header.size(), out.get()) == header.size();
    std::vector<uint8_t> block(kBlock);
    uint64_t left = size;
    do {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBlock));
        const size_t got = std::fread(block.data(), 1, want, in.get());
        if (got != want) {
            error = "cannot read " + ToNarrow(source) + " (shorter than " + std::to_string(size) +
                    " bytes)";
            return std::nullopt;
        }
        digests.Update(block.data(), got);
        left -= got;
        const uint32_t blockHeader = static_cast<uint32_t>(got) << 3 | (left == 0 ? 1 : 0);
        const uint8_t bytes[3] = {static_cast<uint8_t>(blockHeader),
                                  static_cast<uint8_t>(blockHeader >> 8),
                                  static_cast<uint8_t>(blockHeader >> 16)};
        ok = ok && std::fwrite(bytes, 1, 3, out.get()) == 3 &&
             std::fwrite(block.data(), 1, got, out.get()) == got;
        written += 3 + got;
        if (progress)
            progress(size - left);
    } while (left > 0 && ok);
    if (std::fgetc(in.get()) != EOF) {
        error =
            "cannot read " + ToNarrow(source) + " (longer than " + std::to_string(size) + " bytes)";
        return std::nullopt;
    }
    if (!ok || std::fclose(out.release()) != 0) {
        error = "cannot write " + ToNarrow(target);
        return std::nullopt;
    }
    return written;
}
