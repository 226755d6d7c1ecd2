// The sink of a file download: the body goes into the file and through the
// digests it is checked against.
//
// Why a second thread: reading from the network, writing the file and
// digesting it in one loop adds their times up, and the digest alone costs
// about half of what the transfer does. Here the reading thread reads and
// writes, like the barest download loop: WinInet puts each block straight
// into a slab of this sink, which writes it to the file at once, while it is
// still in the processor's cache (written later, from a cold slab, the copy
// into the file cost as much as the whole transfer). A full slab goes to a
// helper thread that digests it. A few slabs make a ring, so memory stays
// bounded and a slow digest holds the reader back instead of piling up.
//
// A slab holds several reads, so a small file never fills one: it is
// digested on the reading thread at Finish, and the helper thread and the
// other slabs are only made for a file that needs them. For a file of a few
// KiB, a thread of its own costs more than its transfer.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Handles.h"
#include "update/net/DownloadSink.h"
#include "update/format/FileDigests.h"

class FileDigestSink : public IDownloadSink {
public:
    // file: open for writing at the place where the body starts; digest:
    // what the file is checked by.
    explicit FileDigestSink(HANDLE file, FileDigest digest = FileDigest::Md5);
    ~FileDigestSink() override;
    FileDigestSink(const FileDigestSink&) = delete;
    FileDigestSink& operator=(const FileDigestSink&) = delete;

    // Digests the first `length` bytes of the file, which are already there
    // (a resumed download), and leaves its pointer after them. False when
    // they cannot be read.
    bool TakeExisting(uint64_t length);

    char* BlockBuffer(size_t size) override;
    bool Write(const char* data, size_t size) override;

    // Waits until every byte given is digested; the digests are complete
    // after it.
    void Finish();
    const FileDigests& Digests() const { return m_digests; }

private:
    struct Slab {
        std::unique_ptr<char[]> bytes;
        size_t capacity = 0;
        size_t used = 0;
    };

    // A slab with room for at least `size` bytes, empty.
    Slab* TakeFreeSlab(size_t size);
    void Hand(Slab* slab);
    void Work();
    // Flushes the file on a thread of the system's pool; false while the
    // last such flush still runs.
    bool StartFlush();
    static DWORD WINAPI FlushOnPool(void* self);

    const HANDLE m_hFile;
    std::vector<std::unique_ptr<Slab>> m_slabs;  // the reader's
    Slab* m_pFilling = nullptr;                  // the reader's slab
    FileDigests m_digests;                       // the helper thread's until Finish
    uint64_t m_nUnflushed = 0;                   // the helper thread's

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Slab*> m_free;
    std::deque<Slab*> m_full;
    bool m_bDone = false;
    std::thread m_worker;
    Base::UniqueKernelHandle m_hFlushed;  // set while no flush runs
};
