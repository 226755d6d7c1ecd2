#include "update/format/FileDigests.h"

#include <algorithm>
#include <cstring>

FileDigests::FileDigests(FileDigest taken) : m_bMd5(taken == FileDigest::Md5) {
    if (taken == FileDigest::Sha256)
        EnableSha256();
}

FileDigests::~FileDigests() = default;

void FileDigests::EnableSha256() {
    m_pSha256 = std::make_unique<Sha256Stream>();
}

void FileDigests::Update(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return;
    m_nLength += size;
    if (m_pSha256)
        m_pSha256->Update(data, size);
    if (!m_bMd5)
        return;
    if (m_nTail > 0) {
        const std::size_t take = std::min(size, kMd5BlockSize - m_nTail);
        std::memcpy(m_tail.data() + m_nTail, data, take);
        m_nTail += take;
        data += take;
        size -= take;
        if (m_nTail < kMd5BlockSize)
            return;
        Md5Compress(m_md5, m_tail.data(), 1);
        m_nTail = 0;
    }
    const std::size_t whole = size / kMd5BlockSize;
    Md5Compress(m_md5, data, whole);
    m_nTail = size - whole * kMd5BlockSize;
    std::memcpy(m_tail.data(), data + whole * kMd5BlockSize, m_nTail);
}

std::string FileDigests::Md5Hex() const {
    if (!m_bMd5)
        return {};
    Md5State state = m_md5;
    uint8_t buffer[2 * kMd5BlockSize] = {};
    std::memcpy(buffer, m_tail.data(), m_nTail);
    const std::size_t padded = Md5Pad(buffer, m_nTail, m_nLength);
    Md5Compress(state, buffer, padded / kMd5BlockSize);
    return ::Md5Hex(state);
}

Sha256Digest FileDigests::Sha256() const {
    return m_pSha256 ? m_pSha256->Digest() : Sha256Digest{};
}
