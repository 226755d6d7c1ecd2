#include "update/net/HttpFetchText.h"

#include <windows.h>
#include <mmsystem.h>
#include <wininet.h>

#include <cstdint>
#include <cstdio>

#include "update/net/HttpFile.h"
#include "update/net/InternetSession.h"
#include "update/net/StopSignal.h"
#include "update/log/UpdateLog.h"

namespace {

constexpr char kAcceptHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kAcceptHeadersLength = 15;
static_assert(sizeof(kAcceptHeaders) - 1 == kAcceptHeadersLength, "header length");
// Always from the server, never into the cache, and no proxy cache either.
constexpr DWORD kNoCacheFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kNoCacheFlags == 0x84000100, "text fetch flags");
// One byte short of the buffer in the original reader, which kept a
// terminating zero after every chunk.
constexpr size_t kTextBlock = 1023;

TextFetch TooLarge(uint64_t size, const std::string& url) {
    char line[48];
    std::snprintf(line, sizeof(line), "TooLarge:%llu ", static_cast<unsigned long long>(size));
    AppendUpdateLog(line + url);
    return {kFetchError, true};
}

}  // namespace

std::string HttpFetchText(const std::string& url, StopSignal* stop) {
    return FetchCappedText(url, SIZE_MAX, stop).text;
}

TextFetch FetchCappedText(const std::string& url, size_t maxBytes, StopSignal* stop,
                          const NetLimits& limits, bool optional) {
    char agent[64] = {};
    std::snprintf(agent, sizeof(agent), "Agent%ld", static_cast<long>(::timeGetTime()));

    TrackedInternet session(OpenInternetSession(agent, limits), stop);
    if (!session) {
        if (stop && stop->IsStopped())
            return {kFetchError};
        AppendUpdateLog("InternetOpen:0");
        return {kFetchError};
    }
    auto file =
        CHttpFile::Open(session.get(), url, std::string(kAcceptHeaders, kAcceptHeadersLength),
                        kNoCacheFlags, 0, stop, limits);
    if (!file) {
        if (stop && stop->IsStopped())
            return {kFetchError};
        AppendUpdateLog("InternetOpenUrl:00000000");
        return {kFetchError};
    }
    const DWORD status = file->StatusCode();
    // A stop closes the handle, and the status then reads as 0: no server
    // said anything, so there is nothing to log.
    if (stop && stop->IsStopped())
        return {kFetchError};
    if (status < 200 || status > 299) {
        char line[32];
        std::snprintf(line, sizeof(line), "HttpStatus:%lu", static_cast<unsigned long>(status));
        if (!optional || status != 404)
            AppendUpdateLog(std::string(line) + " " + url);
        return {kFetchError, false, status};
    }
    // A body cut short would pass for a whole one: a version file without its
    // full stamp, or a file list missing its last entries, after which the
    // run would save the new stamp and never fetch those files.
    uint64_t expected = 0;
    const bool hasLength = file->QueryContentLength(expected);
    if (hasLength && expected > maxBytes)
        return TooLarge(expected, url);
    uint64_t received = 0;
    TextSink text;
    CappedSink sink(text, maxBytes);
    const ReadResult result =
        file->ReadInto(sink, kTextBlock, [&received](size_t got) { received += got; });
    if (result == ReadResult::Stopped)
        return {kFetchError};
    if (sink.IsOver())
        return TooLarge(received, url);
    if (result == ReadResult::TooSlow) {
        char line[48];
        std::snprintf(line, sizeof(line), "TooSlow:%llu ",
                      static_cast<unsigned long long>(received));
        AppendUpdateLog(line + url);
        return {kFetchError};
    }
    if (result != ReadResult::Complete || (hasLength && received != expected)) {
        char line[64];
        std::snprintf(line, sizeof(line), "Incomplete:%llu/%lld ",
                      static_cast<unsigned long long>(received),
                      hasLength ? static_cast<long long>(expected) : -1LL);
        AppendUpdateLog(line + url);
        return {kFetchError};
    }
    return {std::move(text.Text())};
}
