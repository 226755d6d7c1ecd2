#include "update/sinks/FileDigestSink.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kSlabBytes = 1 << 20;
constexpr size_t kSlabCount = 4;
// What the file grows by between two flushes: the last one waits for up to
// this much. Every 16 MiB, a 256 MiB download waited about 10 ms at its end
// for the disk; every 4 MiB, about 2 ms, with the transfer as fast.
constexpr uint64_t kFlushBytes = 4 << 20;

}  // namespace

FileDigestSink::FileDigestSink(HANDLE file, FileDigest digest) : m_hFile(file), m_digests(digest) {}

FileDigestSink::~FileDigestSink() {
    Finish();
}

bool FileDigestSink::TakeExisting(uint64_t length) {
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN))
        return false;
    while (length > 0) {
        Slab* slab = TakeFreeSlab(kSlabBytes);
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(length, slab->capacity));
        DWORD got = 0;
        const bool read = ::ReadFile(m_hFile, slab->bytes.get(), want, &got, nullptr);
        slab->used = read ? got : 0;
        Hand(slab);
        if (!read || got != want)
            return false;
        length -= got;
    }
    return true;
}

char* FileDigestSink::BlockBuffer(size_t size) {
    if (m_pFilling && m_pFilling->capacity - m_pFilling->used < size) {
        Hand(m_pFilling);
        m_pFilling = nullptr;
    }
    if (!m_pFilling)
        m_pFilling = TakeFreeSlab(size);
    return m_pFilling->bytes.get() + m_pFilling->used;
}

bool FileDigestSink::Write(const char* data, size_t size) {
    char* place = BlockBuffer(size);
    if (place != data)
        std::memcpy(place, data, size);
    m_pFilling->used += size;
    // Written at once, while the block is still in the processor's cache;
    // only the digest waits for the slab to fill.
    DWORD written = 0;
    return ::WriteFile(m_hFile, place, static_cast<DWORD>(size), &written, nullptr) &&
           written == size;
}

void FileDigestSink::Finish() {
    if (m_pFilling && !m_worker.joinable()) {
        // The whole body fit one slab: nothing to overlap with.
        m_digests.Update(reinterpret_cast<const uint8_t*>(m_pFilling->bytes.get()),
                         m_pFilling->used);
        m_pFilling->used = 0;
    } else if (m_pFilling) {
        Hand(m_pFilling);
    }
    m_pFilling = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDone = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    // The file's handle outlives this sink only in the caller's hands.
    if (m_hFlushed)
        ::WaitForSingleObject(m_hFlushed.get(), INFINITE);
}

FileDigestSink::Slab* FileDigestSink::TakeFreeSlab(size_t size) {
    Slab* slab = nullptr;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_free.empty() && m_slabs.size() < kSlabCount) {
            m_slabs.push_back(std::make_unique<Slab>());
            slab = m_slabs.back().get();
        } else {
            m_changed.wait(lock, [this] { return !m_free.empty(); });
            slab = m_free.front();
            m_free.pop_front();
        }
    }
    slab->used = 0;
    if (slab->capacity < size || !slab->bytes) {
        // Not zeroed: every byte is written before it is read.
        slab->capacity = std::max(size, kSlabBytes);
        slab->bytes.reset(new char[slab->capacity]);
    }
    return slab;
}

void FileDigestSink::Hand(Slab* slab) {
    if (!m_worker.joinable())
        m_worker = std::thread([this] { Work(); });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_full.push_back(slab);
    }
    m_changed.notify_all();
}

bool FileDigestSink::StartFlush() {
    if (!m_hFlushed)
        m_hFlushed.reset(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!m_hFlushed) {
        ::FlushFileBuffers(m_hFile);
        return true;
    }
    // One flush at a time; the next one covers what came meanwhile.
    if (::WaitForSingleObject(m_hFlushed.get(), 0) != WAIT_OBJECT_0)
        return false;
    ::ResetEvent(m_hFlushed.get());
    if (!::QueueUserWorkItem(FlushOnPool, this, WT_EXECUTELONGFUNCTION)) {
        ::FlushFileBuffers(m_hFile);
        ::SetEvent(m_hFlushed.get());
    }
    return true;
}

DWORD WINAPI FileDigestSink::FlushOnPool(void* self) {
    auto* sink = static_cast<FileDigestSink*>(self);
    ::FlushFileBuffers(sink->m_hFile);
    ::SetEvent(sink->m_hFlushed.get());
    return 0;
}

void FileDigestSink::Work() {
    for (;;) {
        Slab* slab = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_full.empty() || m_bDone; });
            if (m_full.empty())
                return;
            slab = m_full.front();
            m_full.pop_front();
        }
        m_digests.Update(reinterpret_cast<const uint8_t*>(slab->bytes.get()), slab->used);
        // The file is flushed before it replaces anything. Flushed all at
        // once at the end, a large file waits for the disk for as long as a
        // tenth of its transfer; flushed as it grows, that wait overlaps the
        // transfer and the last flush is short. The flush runs on a thread of
        // the system's pool, not here: a digest that waits for the disk holds
        // the reader back.
        m_nUnflushed += slab->used;
        if (m_nUnflushed >= kFlushBytes && StartFlush())
            m_nUnflushed = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(slab);
        }
        m_changed.notify_all();
    }
}
