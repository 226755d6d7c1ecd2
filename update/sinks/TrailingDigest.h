// Digests memory that is being filled from the front (a file decoded into a
// mapped view) on a helper thread, a little behind the writer, so that
// making the bytes and digesting them take the time of the slower, not of
// both. Nothing is copied: the writer only says how far the bytes are final.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "update/format/FileDigests.h"

class TrailingDigest {
public:
    // bytes: where the memory starts; it must stay until Finish or the end.
    TrailingDigest(const char* bytes, FileDigest digest);
    // Waits for the helper thread: the memory may go after it.
    ~TrailingDigest();
    TrailingDigest(const TrailingDigest&) = delete;
    TrailingDigest& operator=(const TrailingDigest&) = delete;

    // The bytes before end are final (end only grows).
    void Reach(size_t end);
    // Waits until everything reached is digested.
    void Finish();
    // Complete after Finish.
    const FileDigests& Digests() const { return m_digests; }

private:
    void Work();

    const char* const m_pBytes;
    FileDigests m_digests;  // the helper thread's until Finish
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_nReached = 0;
    bool m_bDone = false;
    std::thread m_worker;
};
