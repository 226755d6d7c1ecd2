// The one way the update opens a WinInet session, for the text fetches and
// the file downloads alike: the system's proxy settings (Internet Options,
// including a proxy that needs no auto-detection), the limits' time-outs,
// and room for the download pass's requests in flight.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "update/net/NetLimits.h"

// The connections the process may keep to one server, and so the requests
// the download pass keeps in flight. WinInet allows 2 per HTTP/1.1 server
// unless told otherwise, and only before it first connects to that server.
inline constexpr unsigned long kConnectionsPerServer = 8;

// A new session (the caller closes it), or null. The first one raises the
// process's connection limit to kConnectionsPerServer, before any request.
HINTERNET OpenInternetSession(const std::string& agent, const NetLimits& limits);
