#include "update/HttpFile.h"

#include <cstdlib>
#include <vector>

std::unique_ptr<CHttpFile> CHttpFile::Open(HINTERNET session, const std::string& url,
                                           const char* headers, DWORD headersLength, DWORD flags,
                                           DWORD_PTR context, StopSignal* stop) {
    if (!session || (stop && stop->IsStopped()))
        return nullptr;
    HINTERNET h = ::InternetOpenUrlA(session, url.c_str(), headers, headersLength, flags, context);
    if (!h)
        return nullptr;
    std::unique_ptr<CHttpFile> file(new CHttpFile(h, stop));
    if (!file->m_hUrl)
        return nullptr;
    return file;
}

DWORD CHttpFile::StatusCode() const {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoA(m_hUrl.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &size, nullptr)) {
        return 0;
    }
    return status;
}

bool CHttpFile::QueryContentLength(uint64_t& length) const {
    // Read as text: the numeric form of the query is only 32 bits wide.
    char text[32] = {};
    DWORD size = sizeof(text) - 1;
    if (!::HttpQueryInfoA(m_hUrl.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
        return false;
    }
    if (text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*end != '\0')
        return false;
    length = value;
    return true;
}

ReadResult CHttpFile::ReadInto(IDownloadSink& sink, size_t blockSize,
                               const std::function<void(size_t)>& onBlock) {
    std::vector<char> buffer(blockSize);
    for (;;) {
        if (m_pStop && m_pStop->IsStopped())
            return ReadResult::Stopped;
        DWORD got = 0;
        if (!::InternetReadFile(m_hUrl.get(), buffer.data(), static_cast<DWORD>(blockSize), &got)) {
            if (m_pStop && m_pStop->IsStopped())
                return ReadResult::Stopped;
            return ReadResult::ReadFailed;
        }
        if (got == 0)
            return ReadResult::Complete;
        if (!sink.Write(buffer.data(), got))
            return ReadResult::WriteFailed;
        if (onBlock)
            onBlock(got);
    }
}
