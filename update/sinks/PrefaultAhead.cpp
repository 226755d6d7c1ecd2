#include "update/sinks/PrefaultAhead.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr size_t kPage = 4096;
// Farther ahead than the decoder gets in one call, which may be megabytes.
constexpr size_t kAhead = 32 << 20;
// The writer's place is read again after this many bytes.
constexpr size_t kStep = 1 << 20;

}  // namespace

PrefaultAhead::PrefaultAhead(char* bytes, size_t size) : m_pBytes(bytes), m_nSize(size) {
    m_worker = std::thread([this] { Work(); });
}

PrefaultAhead::~PrefaultAhead() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDone = true;
    }
    m_changed.notify_one();
    m_worker.join();
}

void PrefaultAhead::Reach(size_t end) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nReached = end;
    }
    m_changed.notify_one();
}

void PrefaultAhead::Work() {
    size_t next = 0;  // page-aligned: the view starts on a page
    for (;;) {
        size_t end = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(
                lock, [&] { return m_bDone || (next < m_nSize && next < m_nReached + kAhead); });
            if (m_bDone)
                return;
            // Pages the writer has passed are ready already.
            next = std::max(next, m_nReached / kPage * kPage);
            end = std::min({m_nSize, m_nReached + kAhead, next + kStep});
        }
        for (; next < end; next += kPage)
            ::InterlockedOr(reinterpret_cast<volatile LONG*>(m_pBytes + next), 0);
    }
}
