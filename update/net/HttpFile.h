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

#include "update/net/DownloadSink.h"
#include "update/net/NetLimits.h"
#include "update/net/StopSignal.h"

// TooSlow: the body fell below the limits' minimum rate.
enum class ReadResult { Complete, ReadFailed, WriteFailed, Stopped, TooSlow };

class CHttpFile {
public:
    // Opens url on session with the extra request headers (each ending in
    // CR LF); null when the request could not be made or stop (when given)
    // was set meanwhile, even while the name lookup or the connect still
    // hangs, and null when the headers and the body's first bytes (or its
    // end) did not come within the limits' answer time. The handle is
    // registered with stop, so stopping the run closes it.
    static std::unique_ptr<CHttpFile> Open(HINTERNET session, const std::string& url,
                                           const std::string& headers, DWORD flags,
                                           DWORD_PTR context, StopSignal* stop,
                                           const NetLimits& limits);

    // The status code of the response; 0 when the server sent none.
    DWORD StatusCode() const;
    // False when the response has no (numeric) Content-Length header.
    bool QueryContentLength(uint64_t& length) const;
    // A response header as text (HTTP_QUERY_...); empty when it is missing.
    std::string QueryHeader(DWORD query) const;

    // Reads the body in blocks of blockSize bytes into sink until the end of
    // the body, a failure, a stop or a rate below the limits' minimum.
    // onBlock (optional) hears each block's size after the sink took it.
    ReadResult ReadInto(IDownloadSink& sink, size_t blockSize,
                        const std::function<void(size_t)>& onBlock = {});

    void Close() { m_hUrl.reset(); }

private:
    CHttpFile(HINTERNET url, StopSignal* stop, const NetLimits& limits);

    // Without a run's stop the handle is tracked here, so that it is closed
    // once whether a read gave up on it first or its owner did.
    std::unique_ptr<StopSignal> m_pOwnTracker;
    TrackedInternet m_hUrl;
    StopSignal* m_pStop;
    const NetLimits m_limits;
    // The body's bytes ready when it was opened, until the first read.
    bool m_bReadyKnown = false;
    DWORD m_nReady = 0;
};
