#include "update/net/HttpFile.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "update/net/BodyRate.h"

namespace {

// Bytes already waiting that show a body is flowing, so that a whole block
// asked for arrives soon. WinInet's own read buffer holds 8 KiB.
constexpr DWORD kFlowingBytes = 8192;

// One InternetOpenUrlA call on a thread of the system's pool. Name lookup,
// connect and the wait for the headers block inside it, and neither closing
// handles nor WinInet's time-outs cut that short on every system, so the
// caller waits for it, its stop or its deadline, whichever comes first. An
// abandoned call closes what it gets when it finally returns. The pool keeps
// its threads: a thread made for every request costs more than the request
// itself when the files are small (under Wine several milliseconds, against
// well under one for a request on a kept-alive connection).
struct PendingOpen {
    PendingOpen(HINTERNET s, std::string u, std::string h, DWORD f, DWORD_PTR c)
        : session(s), url(std::move(u)), headers(std::move(h)), flags(f), context(c) {}

    const HINTERNET session;
    const std::string url;
    const std::string headers;
    const DWORD flags;
    const DWORD_PTR context;
    Base::UniqueKernelHandle done{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::mutex mutex;
    HINTERNET result = nullptr;
    bool abandoned = false;
};

HINTERNET OpenUrl(HINTERNET session, const std::string& url, const std::string& headers,
                  DWORD flags, DWORD_PTR context) {
    return ::InternetOpenUrlA(session, url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                              static_cast<DWORD>(headers.size()), flags, context);
}

DWORD WINAPI RunPendingOpen(void* parameter) {
    const std::unique_ptr<std::shared_ptr<PendingOpen>> owned(
        static_cast<std::shared_ptr<PendingOpen>*>(parameter));
    PendingOpen& open = **owned;
    const HINTERNET h = OpenUrl(open.session, open.url, open.headers, open.flags, open.context);
    std::lock_guard<std::mutex> lock(open.mutex);
    if (open.abandoned) {
        if (h)
            ::InternetCloseHandle(h);
    } else {
        open.result = h;
    }
    ::SetEvent(open.done.get());
    return 0;
}

HINTERNET OpenWithin(HINTERNET session, const std::string& url, const std::string& headers,
                     DWORD flags, DWORD_PTR context, StopSignal* stop, DWORD answerMs) {
    auto open = std::make_shared<PendingOpen>(session, url, headers, flags, context);
    if (!open->done)
        return OpenUrl(session, url, headers, flags, context);
    auto* handed = new std::shared_ptr<PendingOpen>(open);
    // A call that may hang in a connect is long: the pool adds a thread
    // rather than queue the next request behind it.
    if (!::QueueUserWorkItem(RunPendingOpen, handed, WT_EXECUTELONGFUNCTION)) {
        delete handed;
        return OpenUrl(session, url, headers, flags, context);
    }
    const HANDLE events[] = {open->done.get(), stop ? stop->Event() : nullptr};
    ::WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, answerMs);
    std::lock_guard<std::mutex> lock(open->mutex);
    if ((stop && stop->IsStopped()) ||
        ::WaitForSingleObject(open->done.get(), 0) != WAIT_OBJECT_0) {
        open->abandoned = true;
        if (open->result)
            ::InternetCloseHandle(open->result);
        return nullptr;
    }
    return open->result;
}

}  // namespace

std::unique_ptr<CHttpFile> CHttpFile::Open(HINTERNET session, const std::string& url,
                                           const std::string& headers, DWORD flags,
                                           DWORD_PTR context, StopSignal* stop,
                                           const NetLimits& limits) {
    if (!session || (stop && stop->IsStopped()))
        return nullptr;
    const HINTERNET h = OpenWithin(session, url, headers, flags, context, stop, limits.answerMs);
    if (!h)
        return nullptr;
    std::unique_ptr<CHttpFile> file(new CHttpFile(h, stop, limits));
    if (!file->m_hUrl)
        return nullptr;
    return file;
}

CHttpFile::CHttpFile(HINTERNET url, StopSignal* stop, const NetLimits& limits)
    : m_pOwnTracker(stop ? nullptr : std::make_unique<StopSignal>()),
      m_hUrl(url, stop ? stop : m_pOwnTracker.get()),
      m_pStop(stop),
      m_limits(limits) {}

DWORD CHttpFile::StatusCode() const {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoA(m_hUrl.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &size, nullptr)) {
        return 0;
    }
    return status;
}

std::string CHttpFile::QueryHeader(DWORD query) const {
    char text[256] = {};
    DWORD size = sizeof(text) - 1;
    if (!::HttpQueryInfoA(m_hUrl.get(), query, text, &size, nullptr))
        return std::string();
    return std::string(text, size);
}

bool CHttpFile::QueryContentLength(uint64_t& length) const {
    // Read as text: the numeric form of the query is only 32 bits wide.
    const std::string text = QueryHeader(HTTP_QUERY_CONTENT_LENGTH);
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0')
        return false;
    length = value;
    return true;
}

ReadResult CHttpFile::ReadInto(IDownloadSink& sink, size_t blockSize,
                               const std::function<void(size_t)>& onBlock) {
    // Closing the handle ends a call that outlives its limit on Windows; the
    // handle is tracked, so it is closed once, by whichever side is first.
    const HINTERNET handle = m_hUrl.get();
    StopSignal* tracker = m_pStop ? m_pStop : m_pOwnTracker.get();
    CallWatchdog& watchdog = tracker->Watchdog();
    const auto closeHandle = [tracker, handle] { tracker->Close(handle); };
    BodyRate rate(m_limits);
    const auto failed = [&] {
        if (m_pStop && m_pStop->IsStopped())
            return ReadResult::Stopped;
        return watchdog.Expired() ? ReadResult::TooSlow : ReadResult::ReadFailed;
    };
    std::vector<char> buffer;
    // While whole blocks come back, the body flows and the next block is
    // asked for at once. Otherwise the loop first waits for data and, while
    // little is there, reads only that: a body sent a byte at a time then
    // never holds one read for long, which matters under Wine, where a
    // blocked read runs on after its handle is closed.
    bool flowing = false;
    for (;;) {
        if (m_pStop && m_pStop->IsStopped())
            return ReadResult::Stopped;
        char* place = sink.BlockBuffer(blockSize);
        if (!place) {
            buffer.resize(blockSize);
            place = buffer.data();
        }
        DWORD want = static_cast<DWORD>(blockSize);
        if (!flowing) {
            // Nothing at all for a whole window is below any rate.
            DWORD ready = 0;
            watchdog.Arm(m_limits.rateWindowMs, closeHandle);
            const bool waited = ::InternetQueryDataAvailable(handle, &ready, 0, 0);
            watchdog.Disarm();
            if (!waited)
                return failed();
            if (ready > 0 && ready < kFlowingBytes && ready < want)
                want = ready;
        }
        DWORD got = 0;
        watchdog.Arm(rate.LimitFor(want), closeHandle);
        const bool read = ::InternetReadFile(handle, place, want, &got);
        watchdog.Disarm();
        if (!read)
            return failed();
        if (got == 0)
            return ReadResult::Complete;
        flowing = got == blockSize;
        if (!rate.Count(got))
            return ReadResult::TooSlow;
        if (!sink.Write(place, got))
            return ReadResult::WriteFailed;
        if (onBlock)
            onBlock(got);
    }
}
