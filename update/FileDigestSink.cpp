#include "update/FileDigestSink.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kSlabBytes = 256 << 10;
constexpr size_t kSlabCount = 8;
constexpr uint64_t kFlushBytes = 16 << 20;

}  // namespace

FileDigestSink::FileDigestSink(HANDLE file, bool withSha256) : m_hFile(file) {
    if (withSha256)
        m_digests.EnableSha256();
    for (size_t i = 0; i < kSlabCount; ++i) {
        m_slabs.push_back(std::make_unique<Slab>());
        m_slabs.back()->bytes.resize(kSlabBytes);
        m_free.push_back(m_slabs.back().get());
    }
    m_worker = std::thread([this] { Work(); });
}

FileDigestSink::~FileDigestSink() {
    Finish();
}

bool FileDigestSink::TakeExisting(uint64_t length) {
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN))
        return false;
    while (length > 0) {
        Slab* slab = TakeFreeSlab();
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(length, slab->bytes.size()));
        DWORD got = 0;
        const bool read = ::ReadFile(m_hFile, slab->bytes.data(), want, &got, nullptr);
        slab->used = read ? got : 0;
        Hand(slab);
        if (!read || got != want)
            return false;
        length -= got;
    }
    return true;
}

char* FileDigestSink::BlockBuffer(size_t size) {
    if (m_pFilling && m_pFilling->bytes.size() - m_pFilling->used < size) {
        Hand(m_pFilling);
        m_pFilling = nullptr;
    }
    if (!m_pFilling) {
        m_pFilling = TakeFreeSlab();
        m_pFilling->used = 0;
        if (m_pFilling->bytes.size() < size)
            m_pFilling->bytes.resize(size);
    }
    return m_pFilling->bytes.data() + m_pFilling->used;
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
    if (m_pFilling) {
        Hand(m_pFilling);
        m_pFilling = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bDone = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

FileDigestSink::Slab* FileDigestSink::TakeFreeSlab() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_free.empty(); });
    Slab* slab = m_free.front();
    m_free.pop_front();
    return slab;
}

void FileDigestSink::Hand(Slab* slab) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_full.push_back(slab);
    }
    m_changed.notify_all();
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
        m_digests.Update(reinterpret_cast<const uint8_t*>(slab->bytes.data()), slab->used);
        // The file is flushed before it replaces anything. Flushed all at
        // once at the end, a large file waits for the disk for as long as a
        // tenth of its transfer; flushed as it grows, here, off the reading
        // thread, that wait overlaps the transfer and the last flush is short.
        m_nUnflushed += slab->used;
        if (m_nUnflushed >= kFlushBytes) {
            ::FlushFileBuffers(m_hFile);
            m_nUnflushed = 0;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(slab);
        }
        m_changed.notify_all();
    }
}
