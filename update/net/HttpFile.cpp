#include "update/net/HttpFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "update/net/BodyRate.h"
#include "update/net/PoolCall.h"

namespace {

// WinInet's own read buffer holds 8 KiB: a body that brings more than that
// in a short span flows faster than the buffer shows.
constexpr DWORD kFlowingBytes = 8192;

HINTERNET OpenUrl(HINTERNET session, const std::string& url, const std::string& headers,
                  DWORD flags, DWORD_PTR context) {
    return ::InternetOpenUrlA(session, url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                              static_cast<DWORD>(headers.size()), flags, context);
}

struct Opened {
    HINTERNET handle = nullptr;
    bool readyKnown = false;
    DWORD ready = 0;
};

// One InternetOpenUrlA call. Name lookup, connect and the wait for the
// headers block inside it, and neither closing handles nor WinInet's
// time-outs cut that short on every system, so it runs on the pool while
// this waits for it, its stop or its deadline. The same call then waits
// for the body's first bytes: a small file's whole body comes with its
// headers, and its read then needs no second trip to the pool. An
// abandoned call closes what it gets when it finally returns.
Opened OpenWithin(HINTERNET session, const std::string& url, const std::string& headers,
                  DWORD flags, DWORD_PTR context, StopSignal* stop, DWORD answerMs) {
    auto opened = std::make_shared<Opened>();
    // Each thread keeps its own: the download pass's workers open one
    // request after another.
    static thread_local PoolCall call;
    const PoolCall::Wait wait = call.Run(
        [=] {
            opened->handle = OpenUrl(session, url, headers, flags, context);
            opened->readyKnown = opened->handle &&
                                 ::InternetQueryDataAvailable(opened->handle, &opened->ready, 0, 0);
        },
        stop, answerMs,
        [opened] {
            if (opened->handle)
                ::InternetCloseHandle(opened->handle);
        });
    // A handle that came with the stop is closed as the stop tracks it.
    return wait == PoolCall::Wait::Done ? *opened : Opened();
}

// What a call on the pool fills in: an abandoned one outlives the loop that
// made it.
struct PendingRead {
    explicit PendingRead(HINTERNET h) : handle(h) {}
    const HINTERNET handle;
    std::unique_ptr<char[]> block;
    DWORD ready = 0;
    DWORD got = 0;
    BOOL ok = FALSE;
};

}  // namespace

std::unique_ptr<CHttpFile> CHttpFile::Open(HINTERNET session, const std::string& url,
                                           const std::string& headers, DWORD flags,
                                           DWORD_PTR context, StopSignal* stop,
                                           const NetLimits& limits) {
    if (!session || (stop && stop->IsStopped()))
        return nullptr;
    const Opened opened = OpenWithin(session, url, headers, flags, context, stop, limits.answerMs);
    if (!opened.handle)
        return nullptr;
    std::unique_ptr<CHttpFile> file(new CHttpFile(opened.handle, stop, limits));
    if (!file->m_hUrl)
        return nullptr;
    file->m_bReadyKnown = opened.readyKnown;
    file->m_nReady = opened.ready;
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
    const HINTERNET handle = m_hUrl.get();
    StopSignal* tracker = m_pStop ? m_pStop : m_pOwnTracker.get();
    const DWORD window = m_limits.rateWindowMs;
    BodyRate rate(m_limits);
    PoolCall pool;
    const auto pending = std::make_shared<PendingRead>(handle);
    // A call waited for no longer: its handle is closed, which ends it at
    // once on Windows, and the loop never touches the handle again.
    const auto abandon = [&](PoolCall::Wait wait) {
        tracker->Close(handle);
        return wait == PoolCall::Wait::Stopped ? ReadResult::Stopped : ReadResult::TooSlow;
    };
    const auto failed = [this] {
        return m_pStop && m_pStop->IsStopped() ? ReadResult::Stopped : ReadResult::ReadFailed;
    };
    // Runs call (which sets pending's ok) on the pool within a window; what
    // the read ends with when it was abandoned or failed.
    const auto onPool = [&](std::function<void()> call) -> std::optional<ReadResult> {
        const PoolCall::Wait wait = pool.Run(std::move(call), m_pStop, window);
        if (wait != PoolCall::Wait::Done)
            return abandon(wait);
        if (!pending->ok)
            return failed();
        return std::nullopt;
    };
    // WinInet ends a body at its Content-Length too; stopping there spares
    // the wait for the end.
    uint64_t length = 0;
    const bool hasLength = QueryContentLength(length);
    // A block larger than the body would only cost its allocation, which
    // for thousands of small files adds up.
    if (hasLength)
        blockSize =
            static_cast<size_t>(std::min<uint64_t>(blockSize, std::max<uint64_t>(length, 1)));
    uint64_t received = 0;
    // The bytes known to be there, which a read takes without a wait.
    DWORD ready = m_nReady;
    bool known = m_bReadyKnown;
    m_bReadyKnown = false;
    std::vector<char> buffer;
    // A read that asks for more than is there waits until all of it came,
    // and a mirror that trickles keeps it waiting far beyond any window. So
    // each read asks for what is ready, and waits only on the pool, where
    // it can be abandoned. Reads on the pool cost a thread switch, so only
    // a body that flows gets them, asked for what it brings in a short span;
    // a read that still takes a whole window means the body fell to a crawl.
    for (;;) {
        // A body that is whole is complete, even when the stop came with
        // its last block.
        if (hasLength && received >= length)
            return ReadResult::Complete;
        if (m_pStop && m_pStop->IsStopped())
            return ReadResult::Stopped;
        char* place = sink.BlockBuffer(blockSize);
        if (!place) {
            buffer.resize(blockSize);
            place = buffer.data();
        }
        DWORD got = 0;
        const DWORD quick = static_cast<DWORD>(std::min<uint64_t>(blockSize, rate.QuickBytes()));
        if (quick > std::max(ready, kFlowingBytes)) {
            const DWORD want = quick;
            if (!pending->block)
                pending->block.reset(new char[blockSize]);
            if (const auto end = onPool([p = pending, want] {
                    p->ok = ::InternetReadFile(p->handle, p->block.get(), want, &p->got);
                })) {
                return *end;
            }
            got = pending->got;
            std::memcpy(place, pending->block.get(), got);
            ready = 0;
            known = false;
        } else {
            if (!known) {
                // Nothing at all for a whole window is below any rate.
                if (const auto end = onPool([p = pending] {
                        p->ok = ::InternetQueryDataAvailable(p->handle, &p->ready, 0, 0);
                    })) {
                    return *end;
                }
                ready = pending->ready;
            }
            // At the body's end nothing is ready, and a read of one byte
            // says so at once.
            const DWORD want =
                std::max<DWORD>(1, std::min<DWORD>(ready, static_cast<DWORD>(blockSize)));
            if (!::InternetReadFile(handle, place, want, &got))
                return failed();
            ready -= std::min(ready, got);
            known = ready > 0;
        }
        if (got == 0)
            return ReadResult::Complete;
        received += got;
        if (!rate.Count(got))
            return ReadResult::TooSlow;
        if (!sink.Write(place, got))
            return ReadResult::WriteFailed;
        if (onBlock)
            onBlock(got);
    }
}
