// Decodes a zstd-compressed copy of a file while it arrives, and hands the
// file's bytes on to another sink: the file's own write and digest path,
// exactly as a plain download feeds it. The decoder holds its window in
// memory, so the window is capped (kCompressedWindowLogMax), and the output
// is capped at the listed size, so a small object cannot fill the disk.
#pragma once

#include <cstdint>
#include <vector>

#include "update/net/DownloadSink.h"
#include "update/sinks/ZstdDecoder.h"

class ZstdDecodeSink : public IDownloadSink {
public:
    // size: the file's listed size, the only size accepted.
    ZstdDecodeSink(IDownloadSink& out, uint64_t size);

    bool Write(const char* data, size_t size) override;
    // True when one whole frame arrived and made exactly the listed size.
    bool IsComplete() const { return m_bFrameEnded && m_nMade == m_nSize; }

private:
    IDownloadSink& m_out;
    const uint64_t m_nSize;
    UniqueZstdDecoder m_decoder;
    std::vector<char> m_buffer;  // only when m_out has no buffer to lend
    uint64_t m_nMade = 0;
    bool m_bFrameEnded = false;
};
