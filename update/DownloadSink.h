// Where a response body goes. The text fetch and the file downloads read the
// body through the same loop (CHttpFile::ReadInto); only the sink differs.
#pragma once

#include <cstddef>
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
