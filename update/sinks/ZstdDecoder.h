// A libzstd decoder whose frames may reach back at most 2^windowLogMax
// bytes: a frame that asks for more is refused instead of making the
// decoder allocate it.
#pragma once

#include <memory>

struct ZSTD_DCtx_s;

struct ZstdDecoderFree {
    void operator()(ZSTD_DCtx_s* decoder) const;
};
using UniqueZstdDecoder = std::unique_ptr<ZSTD_DCtx_s, ZstdDecoderFree>;

// Null when there is no memory for it.
UniqueZstdDecoder MakeZstdDecoder(int windowLogMax);
