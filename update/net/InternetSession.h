// The one way the update opens a WinInet session, for the text fetches and
// the file downloads alike: the system's proxy settings (Internet Options,
// including a proxy that needs no auto-detection) and the limits' time-outs.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "update/net/NetLimits.h"

// A new session (the caller closes it), or null.
HINTERNET OpenInternetSession(const std::string& agent, const NetLimits& limits);
