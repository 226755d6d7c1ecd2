#include "update/run/FileDownload.h"

#include <windows.h>
#include <dbghelp.h>

#include <memory>

#include "base/Handles.h"
#include "update/format/MirrorFormat.h"
#include "update/net/DownloadSession.h"
#include "update/net/HttpRange.h"
#include "update/net/HttpStatusText.h"
#include "update/net/StopSignal.h"
#include "update/run/DeltaDownload.h"
#include "update/run/DownloadDisplay.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateStore.h"
#include "update/run/VerifiedTemp.h"
#include "update/run/WaitingLauncher.h"
#include "update/sinks/TempFileSink.h"

namespace {

// Each read is a round trip through the system (under Wine through its
// server), so the calls, not the wire, set the speed of a fast download:
// 1 MiB reads took a 256 MiB file in two thirds of the time 256 KiB reads
// did, and 2 MiB reads gained nothing more. A read fills one slab of the
// sink (FileDigestSink), so the memory stays what it was.
constexpr size_t kBlockSize = 1 << 20;

constexpr char kNoContentLength[] = "文件不存在！";
constexpr char kCreateFailed[] = "文件创建失败！";
constexpr char kBadName[] = "文件名非法！";
constexpr char kIncomplete[] = "文件不完整！";
constexpr char kDiskFull[] = "磁盘空间不足，未完成的文件已删除！";

}  // namespace

// The digest that DownloadDigest names; the other one stays empty.
struct FileDownload::Fetched {
    uint64_t length = 0;
    std::string md5;
    Sha256Digest sha256;
};

struct FileDownload::Response {
    std::unique_ptr<CHttpFile> file;
    DWORD status = 0;
    bool hasLength = false;
    uint64_t length = 0;  // Content-Length: the bytes of this answer
};

FileDownload::FileDownload(const CUpdateStore& store, DownloadDisplay& display, bool retryGivenUp)
    : m_store(store), m_display(display), m_bRetryGivenUp(retryGivenUp) {}

Step FileDownload::Download(const FileRecord& record, StopSignal& stop, FileFetch& out) {
    if (record.m_bBadName || !IsSafeListedName(record.m_sName))
        return Failed(kBadName);

    const std::string target = InstalledFilePath(m_store.m_sInstallDir, record.m_sName);
    const std::string temp = target + ".tmp";
    const std::string url = m_store.m_sBaseUrl + PercentEncodePath(ToUrlPath(record.m_sName));
    if (IsRunningLauncher(record.m_sName)) {
        switch (CheckWaitingLauncher(m_store, record, temp, m_bRetryGivenUp)) {
            case WaitingLauncher::HandOver:
                out.ready = FileFetch::Ready::HandOver;
                out.length = static_cast<uint64_t>(record.m_nSize);
                return {};
            case WaitingLauncher::GiveUp:
                out.ready = FileFetch::Ready::GiveUp;
                return {};
            case WaitingLauncher::None:
                break;
        }
    }
    if (IsVerifiedTemp(m_store, record, temp)) {
        // Checked by a pass that was put back or ended early.
        out.length = static_cast<uint64_t>(record.m_nSize);
        return {};
    }
    Fetched fetched;
    // The start of the plain file that an earlier run kept is resumed, not
    // thrown away for an object, which would write the same .tmp: it holds
    // exactly this file's bytes so far, and a file fetched as itself beside
    // an object is one whose object failed.
    Step step = ResumableLength(temp, record.m_nSize) > 0
                    ? Failed()
                    : FetchSmaller(record, stop, target, temp, fetched);
    if (step.kind == Step::Kind::Failed && step.reason.empty())
        step = FetchToTemp(record, stop, url, temp, false, fetched);
    // A stale copy from a cache, or a resumed .tmp that began as another
    // release's file: once more, whole and from the server.
    const auto asListed = [&] {
        return IsDownloadAsListed(m_store, record, fetched.md5, fetched.sha256);
    };
    if (step.kind == Step::Kind::WrongLength || (step.ok() && !asListed())) {
        ::DeleteFileA(temp.c_str());
        step = FetchToTemp(record, stop, url, temp, true, fetched);
        if (step.kind == Step::Kind::WrongLength)
            return Refused(step.verdict);
        if (step.ok() && !asListed()) {
            ::DeleteFileA(temp.c_str());
            return m_store.m_pRelease ? Refused(ReleaseVerdict::HashMismatch)
                                      : Failed(kDigestMismatch);
        }
    }
    if (!step.ok())
        return step;
    out.length = fetched.length;
    return {};
}

Step FileDownload::Open(StopSignal& stop, const std::string& url, bool bypassCache, uint64_t offset,
                        Response& response) {
    response = Response();
    response.file = m_store.Session().Open(url, bypassCache, offset, &stop);
    if (stop.IsStopped())
        return Stopped();
    if (!response.file)
        return Failed();
    response.status = response.file->StatusCode();
    response.hasLength = response.file->QueryContentLength(response.length);
    return {};
}

// Downloads url into temp and checks its length; fetched gets the length
// and the digests of the whole file. A .tmp that an interrupted run left
// is resumed when the server answers the rest with a matching range;
// fromZero starts afresh and bypasses every cache. A transfer that
// breaks off keeps what arrived, so the next attempt resumes it.
Step FileDownload::FetchToTemp(const FileRecord& record, StopSignal& stop, const std::string& url,
                               const std::string& temp, bool fromZero, Fetched& fetched) {
    uint64_t offset = fromZero ? 0 : ResumableLength(temp, record.m_nSize);
    Response response;
    if (Step opened = Open(stop, url, fromZero, offset, response); !opened.ok())
        return opened;
    if (offset > 0 && !(response.status == 206 && response.hasLength &&
                        ContentRangeResumes(response.file->QueryHeader(HTTP_QUERY_CONTENT_RANGE),
                                            offset, response.length))) {
        // The server ignores ranges (and sent the whole file) or
        // answered with something else: start from the beginning.
        offset = 0;
        if (response.status != 200) {
            if (Step opened = Open(stop, url, false, 0, response); !opened.ok())
                return opened;
        }
    }
    // No status at all: the connection broke before any answer, which
    // is no server error.
    if (response.status == 0)
        return Failed();
    if (response.status < 200 || response.status > 299)
        return Failed(HttpStatusText(response.status));
    if (!response.hasLength)
        return Failed(kNoContentLength);
    const uint64_t length = offset + response.length;
    // The signed list fixes every size: a longer body is never read.
    if (m_store.m_pRelease && length != static_cast<uint64_t>(record.m_nSize)) {
        return {Step::Kind::WrongLength,
                {},
                length > static_cast<uint64_t>(record.m_nSize) ? ReleaseVerdict::TooLarge
                                                               : ReleaseVerdict::HashMismatch};
    }

    MakeFolder(record.m_sName);
    Base::UniqueKernelHandle out(::CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                               nullptr, offset > 0 ? OPEN_EXISTING : CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return Failed(kCreateFailed);

    const std::string& name = record.m_sName;
    uint64_t received = offset;
    TempFileSink sink(out.get(), DownloadDigest(m_store));
    const bool resumed = offset == 0 || (sink.TakeExisting(offset) && ::SetEndOfFile(out.get()));
    const ReadResult result = !resumed
                                  ? ReadResult::WriteFailed
                                  : response.file->ReadInto(sink, kBlockSize, [&](size_t got) {
                                        received += got;
                                        m_display.Progress(name, got, received, length, received);
                                    });
    sink.Finish();
    const bool written = result != ReadResult::WriteFailed;
    const bool flushed = written && ::FlushFileBuffers(out.get());
    const bool diskFull =
        sink.DiskFull() || (written && !flushed && IsDiskFullError(::GetLastError()));
    out.reset();
    response.file->Close();
    if (result != ReadResult::Complete || !flushed || received != length) {
        // What arrived is the start of the file, kept for the next
        // attempt; a file that could not be written is not, nor one to
        // which nothing came.
        if (!flushed || received == 0)
            ::DeleteFileA(temp.c_str());
        if (result == ReadResult::Stopped || stop.IsStopped())
            return Stopped();
        if (diskFull)
            return Failed(kDiskFull);
        if (result == ReadResult::Complete && flushed)
            return Failed(kIncomplete);
        return Failed();
    }
    fetched = {length, sink.Digests().Md5Hex(), sink.Digests().Sha256()};
    return {};
}

void FileDownload::MakeFolder(const std::string& name) {
    const size_t slash = FindLastSeparator(name);
    const std::string folder = InstalledFilePath(
        m_store.m_sInstallDir, slash == std::string::npos ? "" : name.substr(0, slash));
    // DbgHelp's functions may not run on two threads at once; a folder is
    // made once per pass, not once for every file in it.
    std::lock_guard<std::mutex> lock(m_folderMutex);
    if (!m_madeFolders.insert(folder).second)
        return;
    ::MakeSureDirectoryPathExists(
        (folder.empty() || folder.back() == '\\' ? folder : folder + "\\").c_str());
}

// The file's patch or compressed copy, when the mirror offers one;
// Failed without a reason tells the caller to fetch the plain file. The object stands
// for the whole file, so its bytes move the bar by the file's share,
// scaled.
Step FileDownload::FetchSmaller(const FileRecord& record, StopSignal& stop,
                                const std::string& target, const std::string& temp,
                                Fetched& fetched) {
    MakeFolder(record.m_sName);
    const double share = record.m_nSize > 0 ? static_cast<double>(record.m_nSize) : 0.0;
    const DeltaFetch delta =
        FetchDelta(m_store, stop, record, target, temp, kBlockSize,
                   [&](size_t got, uint64_t received, uint64_t size) {
                       m_display.Progress(record.m_sName, got, received, size,
                                          static_cast<uint64_t>(share * received / size));
                   });
    switch (delta.outcome) {
        case DeltaFetch::Outcome::Stopped:
            return Stopped();
        case DeltaFetch::Outcome::Fetched:
            fetched = {delta.length, delta.md5, delta.sha256};
            return {};
        case DeltaFetch::Outcome::DiskFull:
            return Failed(kDiskFull);
        default:
            return Failed();
    }
}
