#include "update/DigestSink.h"

#include <algorithm>

bool DigestSink::Write(const char* data, size_t size) {
    if (!m_next.Write(data, size))
        return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data);
    m_total += size;
    if (!m_tail.empty()) {
        const size_t take = std::min(size, kMd5BlockSize - m_tail.size());
        m_tail.insert(m_tail.end(), bytes, bytes + take);
        bytes += take;
        size -= take;
        if (m_tail.size() < kMd5BlockSize)
            return true;
        Md5Compress(m_state, m_tail.data(), 1);
        m_tail.clear();
    }
    const size_t whole = size / kMd5BlockSize;
    Md5Compress(m_state, bytes, whole);
    m_tail.assign(bytes + whole * kMd5BlockSize, bytes + size);
    return true;
}

std::string DigestSink::HexDigest() const {
    Md5State state = m_state;
    uint8_t buffer[2 * kMd5BlockSize] = {};
    std::copy(m_tail.begin(), m_tail.end(), buffer);
    const size_t padded = Md5Pad(buffer, m_tail.size(), m_total);
    Md5Compress(state, buffer, padded / kMd5BlockSize);
    return Md5Hex(state);
}
