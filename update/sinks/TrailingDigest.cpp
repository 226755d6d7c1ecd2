#include "update/sinks/TrailingDigest.h"

#include <cstdint>

TrailingDigest::TrailingDigest(const char* bytes, FileDigest digest)
    : m_pBytes(bytes), m_digests(digest) {
    m_worker = std::thread([this] { Work(); });
}

TrailingDigest::~TrailingDigest() {
    Finish();
}

void TrailingDigest::Reach(size_t end) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nReached = end;
    }
    m_changed.notify_one();
}

void TrailingDigest::Finish() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDone = true;
    }
    m_changed.notify_one();
    if (m_worker.joinable())
        m_worker.join();
}

void TrailingDigest::Work() {
    size_t digested = 0;
    for (;;) {
        size_t reached = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_nReached > digested || m_bDone; });
            if (m_nReached == digested)
                return;
            reached = m_nReached;
        }
        m_digests.Update(reinterpret_cast<const uint8_t*>(m_pBytes + digested), reached - digested);
        digested = reached;
    }
}
