// Makes the pages of a new file's writable view ready for writing ahead of
// the writer that fills it from the front, on a helper thread. The first
// write to each page of a fresh file mapping stops the writer for a page
// fault that costs the system far more than the page's bytes (under Wine
// about 20 us a page, more than a patch's decoder takes to make the page);
// taken here, on the other core, the writer finds its pages ready.
//
// Each page is touched by an atomic OR with zero on its first word, which
// leaves every byte as it is whether the writer has been there or not, so
// the two threads need not agree on where the writer is. It stays at most a
// bounded distance ahead of the writer, so pages of zeros marked for writing
// do not pile up ahead of the real bytes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

class PrefaultAhead {
public:
    // bytes: the view, writable, size bytes long; it must stay until the
    // object goes.
    PrefaultAhead(char* bytes, size_t size);
    // Stops and waits for the helper thread.
    ~PrefaultAhead();
    PrefaultAhead(const PrefaultAhead&) = delete;
    PrefaultAhead& operator=(const PrefaultAhead&) = delete;

    // The writer has written the bytes before end (end only grows).
    void Reach(size_t end);

private:
    void Work();

    char* const m_pBytes;
    const size_t m_nSize;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_nReached = 0;
    bool m_bDone = false;
    std::thread m_worker;
};
