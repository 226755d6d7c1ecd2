// A sink that passes every block on and digests it on the way, so a download
// is checked against its listed MD5 without reading the file back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "identity/Md5Transform.h"
#include "update/DownloadSink.h"

class DigestSink : public IDownloadSink {
public:
    explicit DigestSink(IDownloadSink& next) : m_next(next) {}
    bool Write(const char* data, size_t size) override;
    // The MD5 hex text of everything written so far.
    std::string HexDigest() const;

private:
    IDownloadSink& m_next;
    Md5State m_state;
    uint64_t m_total = 0;
    std::vector<uint8_t> m_tail;  // bytes not yet a whole 64-byte block
};
