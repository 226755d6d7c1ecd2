// One HTTP response opened with InternetOpenUrlA: its status, its
// Content-Length and its body, read block by block into a sink. Both the text
// fetch and the file downloads go through ReadInto.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "update/DownloadSink.h"
#include "update/StopSignal.h"

enum class ReadResult { Complete, ReadFailed, WriteFailed, Stopped };

class CHttpFile {
public:
    // Opens url on session; null when the request could not be made. The
    // handle is registered with stop (when given), so stopping the run
    // closes it.
    static std::unique_ptr<CHttpFile> Open(HINTERNET session, const std::string& url,
                                           const char* headers, DWORD headersLength, DWORD flags,
                                           DWORD_PTR context, StopSignal* stop);

    // The status code of the response; 0 when the server sent none.
    DWORD StatusCode() const;
    // False when the response has no (numeric) Content-Length header.
    bool QueryContentLength(uint64_t& length) const;

    // Reads the body in blocks of blockSize bytes into sink until the end of
    // the body, a failure or a stop. onBlock (optional) hears each block's
    // size after the sink took it.
    ReadResult ReadInto(IDownloadSink& sink, size_t blockSize,
                        const std::function<void(size_t)>& onBlock = {});

    void Close() { m_hUrl.reset(); }

private:
    CHttpFile(HINTERNET url, StopSignal* stop) : m_hUrl(url, stop), m_pStop(stop) {}

    TrackedInternet m_hUrl;
    StopSignal* m_pStop;
};
