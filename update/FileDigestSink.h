// The sink of a file download: the body goes into the file and through the
// digests it is checked against.
//
// Why a second thread: reading from the network, writing the file and
// digesting it in one loop adds their times up, and the digest alone costs
// about half of what the transfer does. Here the reading thread only reads:
// WinInet writes each block straight into a slab of this sink, and a full
// slab goes to a helper thread that writes it to the file and digests it. A
// few slabs make a ring, so memory stays bounded and a slow disk holds the
// reader back instead of piling up.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "update/DownloadSink.h"
#include "update/FileDigests.h"

class FileDigestSink : public IDownloadSink {
public:
    // file: open for writing at the place where the body starts; withSha256
    // adds the SHA-256 a signed release is checked with.
    explicit FileDigestSink(HANDLE file, bool withSha256 = false);
    ~FileDigestSink() override;
    FileDigestSink(const FileDigestSink&) = delete;
    FileDigestSink& operator=(const FileDigestSink&) = delete;

    // Digests the first `length` bytes of the file, which are already there
    // (a resumed download), and leaves its pointer after them. False when
    // they cannot be read.
    bool TakeExisting(uint64_t length);

    char* BlockBuffer(size_t size) override;
    bool Write(const char* data, size_t size) override;

    // Waits until every byte is written and digested; false when a write
    // failed. The digests are complete after it.
    bool Finish();
    const FileDigests& Digests() const { return m_digests; }

private:
    struct Slab {
        std::vector<char> bytes;
        size_t used = 0;
        bool write = true;  // false: already in the file, only digest it
    };

    Slab* TakeFreeSlab();
    void Hand(Slab* slab);
    void Work();

    const HANDLE m_hFile;
    std::vector<std::unique_ptr<Slab>> m_slabs;
    Slab* m_pFilling = nullptr;  // the reader's slab
    FileDigests m_digests;       // the helper's until Finish

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Slab*> m_free;
    std::deque<Slab*> m_full;
    bool m_bDone = false;
    bool m_bFailed = false;
    std::thread m_worker;
};
