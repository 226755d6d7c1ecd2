#include "update/sinks/ZstdDecoder.h"

#include <zstd.h>

void ZstdDecoderFree::operator()(ZSTD_DCtx_s* decoder) const {
    ZSTD_freeDCtx(decoder);
}

UniqueZstdDecoder MakeZstdDecoder(int windowLogMax) {
    UniqueZstdDecoder decoder(ZSTD_createDCtx());
    if (decoder &&
        ZSTD_isError(ZSTD_DCtx_setParameter(decoder.get(), ZSTD_d_windowLogMax, windowLogMax))) {
        decoder.reset();
    }
    return decoder;
}
