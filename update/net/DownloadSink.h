// Where a response body goes. The text fetch and the file downloads read the
// body through the same loop (CHttpFile::ReadInto); only the sink differs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class IDownloadSink {
public:
    virtual ~IDownloadSink() = default;
    // Where the next block of up to `size` bytes may be read to, so that
    // Write gets it in place without a copy; null for the reader's own
    // buffer.
    virtual char* BlockBuffer(size_t /*size*/) { return nullptr; }
    // Takes one block; false stops the transfer as a write failure.
    virtual bool Write(const char* data, size_t size) = 0;
};

// Collects a text body. The body is text, so a zero byte ends what its block
// contributes; the blocks after it are still appended.
class TextSink : public IDownloadSink {
public:
    bool Write(const char* data, size_t size) override;
    std::string& Text() { return m_sText; }

private:
    std::string m_sText;
};

// Passes a body on to another sink and stops the transfer once it passes its
// cap, so a server cannot make the reader take more than it expects.
class CappedSink : public IDownloadSink {
public:
    CappedSink(IDownloadSink& next, uint64_t cap) : m_next(next), m_left(cap) {}
    char* BlockBuffer(size_t size) override { return m_next.BlockBuffer(size); }
    bool Write(const char* data, size_t size) override;
    bool IsOver() const { return m_bOver; }

private:
    IDownloadSink& m_next;
    uint64_t m_left;
    bool m_bOver = false;
};
