// Where a response body goes. The text fetch and the file downloads read the
// body through the same loop (CHttpFile::ReadInto); only the sink differs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class IDownloadSink {
public:
    virtual ~IDownloadSink() = default;
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

// Writes the body into an open file.
class FileSink : public IDownloadSink {
public:
    explicit FileSink(HANDLE file) : m_hFile(file) {}
    bool Write(const char* data, size_t size) override;

private:
    HANDLE m_hFile;
};
