#include "update/sinks/ZstdDecodeSink.h"

#include <zstd.h>

#include "update/format/PatchIndex.h"

ZstdDecodeSink::ZstdDecodeSink(IDownloadSink& out, uint64_t size)
    : m_out(out), m_nSize(size), m_decoder(MakeZstdDecoder(kCompressedWindowLogMax)) {}

bool ZstdDecodeSink::Write(const char* data, size_t size) {
    if (!m_decoder)
        return false;
    const size_t chunk = ZSTD_DStreamOutSize();
    ZSTD_inBuffer in = {data, size, 0};
    for (;;) {
        // Bytes after the frame are no part of this file.
        if (m_bFrameEnded)
            return in.pos == in.size;
        // Decoded straight into the place the next sink would copy it to.
        char* place = m_out.BlockBuffer(chunk);
        if (!place) {
            m_buffer.resize(chunk);
            place = m_buffer.data();
        }
        ZSTD_outBuffer out = {place, chunk, 0};
        const size_t taken = in.pos;
        const size_t left = ZSTD_decompressStream(m_decoder.get(), &out, &in);
        if (ZSTD_isError(left) || out.pos > m_nSize - m_nMade ||
            (out.pos == 0 && in.pos == taken && taken < in.size))
            return false;
        m_nMade += out.pos;
        if (out.pos > 0 && !m_out.Write(place, out.pos))
            return false;
        m_bFrameEnded = left == 0;
        // Everything taken and nothing more waiting to come out.
        if (in.pos == in.size && out.pos < out.size)
            return true;
    }
}
