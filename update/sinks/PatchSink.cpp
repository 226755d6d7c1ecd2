#include "update/sinks/PatchSink.h"

#include <windows.h>

#include <zstd.h>

#include <algorithm>

#include "update/format/PatchIndex.h"
#include "update/sinks/TempFileSink.h"

namespace {

constexpr size_t kSlice = 1024;

}  // namespace

PatchSink::PatchSink(const MappedFile& old, std::string temp, uint64_t size, FileDigest digest)
    : m_old(old), m_sTemp(std::move(temp)), m_nSize(size), m_digest(digest) {}

PatchSink::~PatchSink() {
    m_pDigest.reset();
    m_pPrefault.reset();
    m_out.reset();
    if (!m_bKept)
        ::DeleteFileA(m_sTemp.c_str());
}

bool PatchSink::Write(const char* data, size_t size) {
    if (m_out)
        return Decode(data, size);
    m_header.append(data, size);
    ZSTD_frameHeader header = {};
    const size_t missing = ZSTD_getFrameHeader(&header, m_header.data(), m_header.size());
    if (ZSTD_isError(missing))
        return false;
    if (missing > 0)
        return true;
    // The new file is made at its full size before a byte is decoded, so
    // the size must be known, and it must be the listed one.
    if (header.frameType != ZSTD_frame || header.frameContentSize != m_nSize || !Begin())
        return false;
    const std::string first = std::move(m_header);
    return Decode(first.data(), first.size());
}

bool PatchSink::Begin() {
    m_decoder = MakeZstdDecoder(kPatchWindowLogMax);
    if (!m_decoder ||
        ZSTD_isError(ZSTD_DCtx_setParameter(m_decoder.get(), ZSTD_d_stableOutBuffer, 1)) ||
        ZSTD_isError(ZSTD_DCtx_refPrefix(m_decoder.get(), m_old.Data(), m_old.Size()))) {
        return false;
    }
    m_out = MappedFile::Create(m_sTemp, m_nSize);
    if (!m_out) {
        m_bDiskFull = IsDiskFullError(::GetLastError());
        return false;
    }
    m_pDigest = std::make_unique<TrailingDigest>(m_out->Data(), m_digest);
    m_pPrefault = std::make_unique<PrefaultAhead>(m_out->Data(), m_out->Size());
    return true;
}

bool PatchSink::Decode(const char* data, size_t size) {
    ZSTD_inBuffer in = {data, 0, 0};
    while (in.pos < size) {
        // A patch's block of a few bytes can make a block of 128 KiB: fed a
        // little at a time, the decoder hands over new bytes while the
        // digest can still find them in the processor's cache.
        in.size = std::min(size, in.pos + kSlice);
        // Bytes after the frame are no part of this patch.
        if (m_bFrameEnded)
            return false;
        // The same buffer every time: the decoder reads back from it.
        ZSTD_outBuffer out = {m_out->Data(), m_out->Size(), m_nMade};
        const size_t taken = in.pos;
        const size_t left = ZSTD_decompressStream(m_decoder.get(), &out, &in);
        if (ZSTD_isError(left) || (in.pos == taken && out.pos == m_nMade))
            return false;
        m_nMade = out.pos;
        m_pDigest->Reach(m_nMade);
        m_pPrefault->Reach(m_nMade);
        m_bFrameEnded = left == 0;
    }
    return true;
}

bool PatchSink::Finish() {
    // Every page is written by now.
    m_pPrefault.reset();
    if (m_pDigest)
        m_pDigest->Finish();
    m_bKept = m_out && m_bFrameEnded && m_nMade == m_nSize && m_out->Flush();
    m_out.reset();
    return m_bKept;
}
