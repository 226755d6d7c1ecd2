#include "update/net/DownloadSink.h"

#include <cstring>

bool TextSink::Write(const char* data, size_t size) {
    const void* zero = std::memchr(data, 0, size);
    m_sText.append(data, zero ? static_cast<const char*>(zero) - data : size);
    return true;
}

bool CappedSink::Write(const char* data, size_t size) {
    if (size > m_left) {
        m_bOver = true;
        return false;
    }
    m_left -= size;
    return m_next.Write(data, size);
}
