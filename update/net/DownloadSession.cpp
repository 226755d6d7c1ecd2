#include "update/net/DownloadSession.h"

#include "update/net/HttpRange.h"
#include "update/net/InternetSession.h"

namespace {

std::string ExecutableBaseName() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path);
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

constexpr DWORD_PTR kSessionContext = 1;
// The plain download request may be answered from the cache, but never
// writes its body into it: the file goes to disk once already, and a second
// copy of every download in the system's cache would cost as much time again
// and fill the user's disk. A request for the rest of a file always goes to
// the server: a cache would answer with the whole file. The retry after a
// digest mismatch must not get the same copy back from any cache. A mirror
// of plain files has no use for cookies, and looking them up costs more than
// the request itself where the cookie store is slow (under Wine a few
// milliseconds per request, which 2,000 small files turn into seconds).
constexpr DWORD kPlainFlags =
    INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;
constexpr DWORD kRangeFlags = kPlainFlags | INTERNET_FLAG_RELOAD;
constexpr DWORD kReloadFlags = kPlainFlags | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE;

}  // namespace

CDownloadSession::CDownloadSession(const NetLimits& limits)
    : m_hSession(OpenInternetSession(ExecutableBaseName(), limits)), m_limits(limits) {}

std::unique_ptr<CHttpFile> CDownloadSession::Open(const std::string& url, bool bypassCache,
                                                  uint64_t offset, StopSignal* stop) const {
    const DWORD flags = bypassCache ? kReloadFlags : offset > 0 ? kRangeFlags : kPlainFlags;
    return CHttpFile::Open(m_hSession.get(), url, offset > 0 ? RangeRequestHeader(offset) : "",
                           flags, kSessionContext, stop, m_limits);
}
