// The long-lived WinInet session the file downloads go through. Its agent is
// the executable's base name; requests carry no extra headers and may be
// answered from the system's HTTP cache unless a reload is asked for.
#pragma once

#include <memory>
#include <string>

#include "base/Handles.h"
#include "update/HttpFile.h"

class CDownloadSession {
public:
    CDownloadSession();
    CDownloadSession(const CDownloadSession&) = delete;
    CDownloadSession& operator=(const CDownloadSession&) = delete;

    // Null when the session is missing or the request could not be made.
    // bypassCache fetches from the server even when the cache has a copy.
    std::unique_ptr<CHttpFile> Open(const std::string& url, bool bypassCache,
                                    StopSignal* stop) const;

private:
    Base::UniqueInternet m_hSession;
};
