#include "update/DownloadSession.h"

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
// The plain download request: only the transfer-type bit, so the cache may
// answer. The retry after a digest mismatch must not get the same copy back.
constexpr DWORD kPlainFlags = INTERNET_FLAG_TRANSFER_ASCII;
constexpr DWORD kReloadFlags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD |
                               INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

}  // namespace

CDownloadSession::CDownloadSession()
    : m_hSession(::InternetOpenA(ExecutableBaseName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                 nullptr, nullptr, 0)) {}

std::unique_ptr<CHttpFile> CDownloadSession::Open(const std::string& url, bool bypassCache,
                                                  StopSignal* stop) const {
    return CHttpFile::Open(m_hSession.get(), url, nullptr, 0,
                           bypassCache ? kReloadFlags : kPlainFlags, kSessionContext, stop);
}
