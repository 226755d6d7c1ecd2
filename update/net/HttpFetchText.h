// Fetches a small text resource (the version file, the file list) in full,
// with a fresh session per call and every cache bypassed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "update/net/NetLimits.h"

class StopSignal;

// The literal result of a failed fetch.
inline constexpr char kFetchError[] = "Error";

// Returns the body as text, or "Error" (and one line in the update log) when
// the request fails, the server answers with a status outside 200-299, the
// body ends early (a failed read, or fewer bytes than its Content-Length), or
// the answer breaks the limits (no headers in time, a body below the minimum
// rate). A stopped fetch returns "Error" without a log line.
std::string HttpFetchText(const std::string& url, StopSignal* stop = nullptr);

struct TextFetch {
    std::string text;          // the body, or "Error"
    bool tooLarge = false;     // failed because the body is over the cap
    unsigned long status = 0;  // failed with this status outside 200-299
};
// HttpFetchText with a cap: a body announced or received longer than
// maxBytes is a failed fetch (logged as "TooLarge:"), read no further. An
// optional text may be missing: its 404 is failed too, but not logged.
TextFetch FetchCappedText(const std::string& url, size_t maxBytes, StopSignal* stop = nullptr,
                          const NetLimits& limits = NetLimits(), bool optional = false);
