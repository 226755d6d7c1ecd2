// The long-lived WinInet session the file downloads go through. Its agent is
// the executable's base name; requests may be answered from the system's
// HTTP cache unless a reload or a part of a file is asked for, and never
// write into it. Its limits hold every request to a deadline and a minimum
// rate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Handles.h"
#include "update/net/HttpFile.h"
#include "update/net/NetLimits.h"

class CDownloadSession {
public:
    explicit CDownloadSession(const NetLimits& limits = NetLimits());
    CDownloadSession(const CDownloadSession&) = delete;
    CDownloadSession& operator=(const CDownloadSession&) = delete;

    // Null when the session is missing or the request could not be made.
    // bypassCache fetches from the server even when the cache has a copy;
    // an offset above 0 asks for the file from that byte on.
    std::unique_ptr<CHttpFile> Open(const std::string& url, bool bypassCache, uint64_t offset,
                                    StopSignal* stop) const;
    // The limits of every request, the text fetches' too.
    const NetLimits& Limits() const { return m_limits; }

private:
    Base::UniqueInternet m_hSession;
    const NetLimits m_limits;
};
