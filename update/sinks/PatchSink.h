// Applies a zstd patch (made with "--patch-from") while it arrives. The old
// file is the patch's prefix, read through a read-only mapping; the new file
// is decoded straight into a mapping of the .tmp, made at the size the
// frame's header names. The output is the decoder's window, so the decoder
// keeps none of its own: its private memory is its tables and one input
// block, whatever the size of the files. The new bytes are digested on a
// helper thread close behind the decoder, and another makes the new file's
// pages ready ahead of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "update/net/DownloadSink.h"
#include "update/format/FileDigests.h"
#include "update/sinks/MappedFile.h"
#include "update/sinks/PrefaultAhead.h"
#include "update/sinks/TrailingDigest.h"
#include "update/sinks/ZstdDecoder.h"

class PatchSink : public IDownloadSink {
public:
    // old: the local file, mapped for the sink's whole life; temp: the file
    // to make; size: the new file's listed size, the only size accepted.
    PatchSink(const MappedFile& old, std::string temp, uint64_t size, FileDigest digest);
    // Deletes the .tmp unless Finish succeeded.
    ~PatchSink() override;
    PatchSink(const PatchSink&) = delete;
    PatchSink& operator=(const PatchSink&) = delete;

    bool Write(const char* data, size_t size) override;
    // True when one whole frame arrived and filled the new file exactly, and
    // the file is on disk; the digests then cover all of it.
    bool Finish();
    const FileDigests& Digests() const { return m_pDigest->Digests(); }
    // The new file could not be made for want of room on the disk.
    bool DiskFull() const { return m_bDiskFull; }

private:
    bool Begin();
    bool Decode(const char* data, size_t size);

    const MappedFile& m_old;
    const std::string m_sTemp;
    const uint64_t m_nSize;
    std::string m_header;  // the first bytes, until the frame header is whole
    UniqueZstdDecoder m_decoder;
    const FileDigest m_digest;
    std::unique_ptr<MappedFile> m_out;
    std::unique_ptr<TrailingDigest> m_pDigest;   // reads m_out: goes first
    std::unique_ptr<PrefaultAhead> m_pPrefault;  // writes m_out: goes first
    size_t m_nMade = 0;                          // bytes of the new file decoded
    bool m_bFrameEnded = false;
    bool m_bKept = false;
    bool m_bDiskFull = false;
};
