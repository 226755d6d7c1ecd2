#include "update/run/DownloadFiles.h"

#include <windows.h>
#include <dbghelp.h>

#include <vector>

#include "update/format/MirrorFormat.h"
#include "update/log/UpdateLog.h"
#include "update/net/DownloadSession.h"
#include "update/net/HttpRange.h"
#include "update/net/HttpStatusText.h"
#include "update/place/DiskSpace.h"
#include "update/place/InstallTransaction.h"
#include "update/place/LockHolders.h"
#include "update/place/ReplaceFile.h"
#include "update/run/DeltaDownload.h"
#include "update/run/DownloadDisplay.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateRun.h"
#include "update/run/VerifiedTemp.h"
#include "update/run/WaitingLauncher.h"
#include "update/sinks/TempFileSink.h"

namespace {

// Each read is a round trip through the system (under Wine through its
// server); below 256 KiB the calls, not the wire, set the speed, and above
// it the gain levels off.
constexpr size_t kBlockSize = 256 << 10;

constexpr char kFailed[] = "下载失败：";
constexpr char kNoContentLength[] = "文件不存在！";
constexpr char kCreateFailed[] = "文件创建失败！";
constexpr char kMoveFailed[] = "复盖文件失败！";
constexpr char kBadName[] = "文件名非法！";
constexpr char kIncomplete[] = "文件不完整！";
constexpr char kDigestMismatch[] = "文件校验失败！";
constexpr char kTooLarge[] = "文件过大！";
constexpr char kDiskFull[] = "磁盘空间不足，未完成的文件已删除！";
constexpr char kJournalFailed[] = "：安装记录install.journal无法写入，未替换任何文件！";

// How one step on one file ended.
struct Step {
    enum class Kind {
        Ok,
        Failed,       // ends the pass; reason follows the name on screen
        Stopped,      // the run was stopped: nothing more is shown
        Refused,      // a signed release that does not hold
        WrongLength,  // a signed file answered with another length than signed
    };
    Kind kind = Kind::Ok;
    std::string reason;
    ReleaseVerdict verdict = ReleaseVerdict::Accepted;

    bool ok() const { return kind == Kind::Ok; }
};

Step Failed(std::string reason = {}) {
    return {Step::Kind::Failed, std::move(reason)};
}
Step Stopped() {
    return {Step::Kind::Stopped, {}};
}
Step Refused(ReleaseVerdict verdict) {
    return {Step::Kind::Refused, {}, verdict};
}

// installDir ends in a backslash and listed names start with one.
std::string LocalPath(const std::string& installDir, const std::string& name) {
    return InstalledFilePath(installDir, name);
}

// The bytes of a file (0 for none, or a folder).
uint64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The temporary file left by an interrupted download, as far as it can be
// resumed: shorter than the listed size (a complete one is more likely an
// old file than a finished one).
uint64_t ResumableLength(const std::string& temp, int64_t listedSize) {
    const uint64_t length = FileLength(temp);
    return listedSize > 0 && length < static_cast<uint64_t>(listedSize) ? length : 0;
}

class DownloadPass {
public:
    explicit DownloadPass(UpdateRun& run)
        : m_run(run),
          m_store(run.m_Store),
          m_display([&run](ViewChange change) { run.Post(std::move(change)); },
                    run.m_Store.CountDownloads().totalSize) {}

    PassResult Run() {
        m_display.Begin();
        if (!HasRoom()) {
            m_result.outcome = PassResult::Outcome::Failed;
            return m_result;
        }
        const FileRecord* current = nullptr;
        Step step;
        for (auto it = m_store.m_lstDownload.begin();
             step.ok() && it != m_store.m_lstDownload.end(); ++it) {
            current = &*it;
            if (it->m_bNeedDownload)
                step = Download(*it);
        }
        if (step.ok() && !m_pending.empty())
            step = PlacePending(current);
        if (!step.ok())
            End(step, *current);
        else
            m_display.End();
        return m_result;
    }

private:
    // The digest that DownloadDigest names; the other one stays empty.
    struct Fetched {
        uint64_t length = 0;
        std::string md5;
        Sha256Digest sha256;
    };

    struct Response {
        std::unique_ptr<CHttpFile> file;
        DWORD status = 0;
        bool hasLength = false;
        uint64_t length = 0;  // Content-Length: the bytes of this answer
    };

    struct Pending {
        FileRecord* record;
        std::string temp;
        std::string target;
    };

    // A pass that ends early shows why and drops what waits to be moved.
    void End(const Step& step, const FileRecord& current) {
        DiscardPending(step.kind == Step::Kind::Refused);
        switch (step.kind) {
            case Step::Kind::Stopped:
                m_result.outcome = PassResult::Outcome::Stopped;
                return;
            case Step::Kind::Refused:
            case Step::Kind::WrongLength:
                m_result.outcome = PassResult::Outcome::Refused;
                m_result.refusal = step.verdict;
                LogRefusal(step.verdict, current.m_sName);
                m_display.ShowFailure(
                    kFailed + current.m_sName +
                    (step.verdict == ReleaseVerdict::TooLarge ? kTooLarge : kDigestMismatch));
                return;
            default:
                m_result.outcome = PassResult::Outcome::Failed;
                m_display.ShowFailure(kFailed + current.m_sName + step.reason);
                return;
        }
    }

    Step Download(FileRecord& record) {
        m_display.StartFile(record.m_sName);
        if (record.m_bBadName || !IsSafeListedName(record.m_sName))
            return Failed(kBadName);

        const std::string target = LocalPath(m_store.m_sInstallDir, record.m_sName);
        const std::string temp = target + ".tmp";
        const std::string url = m_store.m_sBaseUrl + PercentEncodePath(ToUrlPath(record.m_sName));
        if (IsRunningLauncher(record.m_sName)) {
            switch (CheckWaitingLauncher(m_store, record, temp, m_run.m_bForceCheck)) {
                case WaitingLauncher::HandOver:
                    m_display.FinishFile(record.m_sName);
                    m_doneBytes += static_cast<uint64_t>(record.m_nSize);
                    return Place(record, temp, target);
                case WaitingLauncher::GiveUp:
                    AppendUpdateLog("HandOverAbandoned:" + record.m_sName);
                    record.m_bNeedDownload = false;
                    m_result.handOverAbandoned = true;
                    return {};
                case WaitingLauncher::None:
                    break;
            }
        }
        if (IsVerifiedTemp(m_store, record, temp)) {
            // Checked by a pass that was put back or ended early.
            m_display.FinishFile(record.m_sName);
            m_doneBytes += static_cast<uint64_t>(record.m_nSize);
            return Place(record, temp, target);
        }
        Fetched fetched;
        Step step = FetchSmaller(record, target, temp, fetched);
        if (step.kind == Step::Kind::Failed && step.reason.empty())
            step = FetchToTemp(record, url, temp, false, fetched);
        // A stale copy from a cache, or a resumed .tmp that began as another
        // release's file: once more, whole and from the server.
        if (step.kind == Step::Kind::WrongLength || (step.ok() && !IsAsListed(record, fetched))) {
            ::DeleteFileA(temp.c_str());
            step = FetchToTemp(record, url, temp, true, fetched);
            if (step.kind == Step::Kind::WrongLength)
                return Refused(step.verdict);
            if (step.ok() && !IsAsListed(record, fetched)) {
                ::DeleteFileA(temp.c_str());
                return m_store.m_pRelease ? Refused(ReleaseVerdict::HashMismatch)
                                          : Failed(kDigestMismatch);
            }
        }
        if (!step.ok())
            return step;
        m_display.FinishFile(record.m_sName);
        m_doneBytes += fetched.length;
        return Place(record, temp, target);
    }

    bool IsAsListed(const FileRecord& record, const Fetched& fetched) const {
        return IsDownloadAsListed(m_store, record, fetched.md5, fetched.sha256);
    }

    // A signed release is put in place only once every file has passed, so
    // a refused one changes no file.
    Step Place(FileRecord& record, const std::string& temp, const std::string& target) {
        if (m_store.m_pRelease) {
            m_pending.push_back({&record, temp, target});
            return {};
        }
        return PutInPlace(record, temp, target);
    }

    Step PutInPlace(FileRecord& record, const std::string& temp, const std::string& target) {
        if (IsRunningLauncher(record.m_sName)) {
            // The running launcher cannot be replaced; the lobby moves it.
            record.m_bNeedDownload = false;
            m_result.launcherWaiting = true;
            return {};
        }
        switch (MoveOverTarget(temp, target, m_store.GetStopSignal())) {
            case ReplaceResult::Moved:
                record.m_bNeedDownload = false;
                return {};
            case ReplaceResult::Stopped:
                return Stopped();
            case ReplaceResult::Locked:
                AppendUpdateLog("Locked:" + record.m_sName);
                ::DeleteFileA(temp.c_str());
                return Failed(LockedFileText(target));
            case ReplaceResult::Failed:
                break;
        }
        ::DeleteFileA(temp.c_str());
        return Failed(kMoveFailed);
    }

    // A signed release goes in as one transaction (InstallTransaction.h):
    // a failed move or a stop puts back every file moved before it, and the
    // checked .tmp files stay for the next start. The stamp commits it.
    Step PlacePending(const FileRecord*& current) {
        std::vector<JournalEntry> entries;
        std::vector<FileRecord*> records;
        for (const Pending& pending : m_pending) {
            FileRecord& record = *pending.record;
            if (IsRunningLauncher(record.m_sName)) {
                // The running launcher cannot be replaced; the lobby moves it.
                record.m_bNeedDownload = false;
                m_result.launcherWaiting = true;
                continue;
            }
            // The file check read the old file, if there was one.
            entries.push_back({record.m_sName, record.m_sMd5, !record.m_sLocalMd5.empty()});
            records.push_back(&record);
        }
        if (records.empty())
            return {};
        auto install =
            std::make_shared<InstallTransaction>(m_store.m_sInstallDir, std::move(entries));
        current = records.front();
        if (!install->Begin(m_store.GetStopSignal()))
            return m_run.IsStopped() ? Stopped() : Failed(kJournalFailed);
        for (FileRecord* record : records) {
            current = record;
            const ReplaceResult moved = m_run.IsStopped()
                                            ? ReplaceResult::Stopped
                                            : install->MoveNext(m_store.GetStopSignal());
            if (moved == ReplaceResult::Moved) {
                record->m_bNeedDownload = false;
                continue;
            }
            if (!install->RollBack())
                AppendUpdateLog("InstallRollBackFailed:" + record->m_sName);
            if (moved == ReplaceResult::Stopped)
                return Stopped();
            if (moved != ReplaceResult::Locked)
                return Failed(kMoveFailed);
            AppendUpdateLog("Locked:" + record->m_sName);
            return Failed(LockedFileText(LocalPath(m_store.m_sInstallDir, record->m_sName)));
        }
        m_result.installed = std::move(install);
        return {};
    }

    // Checks, before any byte is fetched, that the volume has room for what
    // the pass will write; says so and ends the pass when it has not. A
    // file's .tmp is resumed, reused or written over, so the room it holds
    // counts as free.
    bool HasRoom() {
        uint64_t needed = 0;
        for (const FileRecord& record : m_store.m_lstDownload) {
            if (!record.m_bNeedDownload || !IsSafeListedName(record.m_sName) ||
                record.m_nSize < 0) {
                continue;
            }
            const std::string temp = LocalPath(m_store.m_sInstallDir, record.m_sName) + ".tmp";
            const uint64_t size = static_cast<uint64_t>(record.m_nSize);
            const uint64_t held = FileLength(temp);
            needed += (size > held ? size - held : 0) + kRoomPerFile;
        }
        const std::string lack = LackOfRoomText(m_store.m_sInstallDir, needed);
        if (lack.empty())
            return true;
        m_display.ShowFailure(lack);
        return false;
    }

    // What passed every check is kept when the pass ends for another reason
    // than a refusal: the next run moves it (or hands a new launcher over)
    // without fetching it again.
    void DiscardPending(bool refused) {
        for (const Pending& pending : m_pending) {
            if (refused)
                ::DeleteFileA(pending.temp.c_str());
        }
        m_pending.clear();
    }

    Step Open(const std::string& url, bool bypassCache, uint64_t offset, Response& response) {
        response = Response();
        response.file = m_store.Session().Open(url, bypassCache, offset, m_store.GetStopSignal());
        if (m_run.IsStopped())
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
    Step FetchToTemp(const FileRecord& record, const std::string& url, const std::string& temp,
                     bool fromZero, Fetched& fetched) {
        uint64_t offset = fromZero ? 0 : ResumableLength(temp, record.m_nSize);
        Response response;
        if (Step opened = Open(url, fromZero, offset, response); !opened.ok())
            return opened;
        if (offset > 0 &&
            !(response.status == 206 && response.hasLength &&
              ContentRangeResumes(response.file->QueryHeader(HTTP_QUERY_CONTENT_RANGE), offset,
                                  response.length))) {
            // The server ignores ranges (and sent the whole file) or
            // answered with something else: start from the beginning.
            offset = 0;
            if (response.status != 200) {
                if (Step opened = Open(url, false, 0, response); !opened.ok())
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
        Base::UniqueKernelHandle out(::CreateFileA(
            temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
            offset > 0 ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return Failed(kCreateFailed);

        const std::string& name = record.m_sName;
        uint64_t received = offset;
        DownloadDisplay::Pace pace;
        TempFileSink sink(out.get(), DownloadDigest(m_store));
        const bool resumed =
            offset == 0 || (sink.TakeExisting(offset) && ::SetEndOfFile(out.get()));
        const ReadResult result =
            !resumed
                ? ReadResult::WriteFailed
                : response.file->ReadInto(sink, kBlockSize, [&](size_t got) {
                      received += got;
                      m_display.Progress(name, pace, got, received, length, m_doneBytes + received);
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
            // attempt; a file that could not be written is not.
            if (!flushed)
                ::DeleteFileA(temp.c_str());
            if (result == ReadResult::Stopped || m_run.IsStopped())
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

    void MakeFolder(const std::string& name) {
        const size_t slash = FindLastSeparator(name);
        const std::string folder = LocalPath(
            m_store.m_sInstallDir, slash == std::string::npos ? "" : name.substr(0, slash));
        ::MakeSureDirectoryPathExists(
            (folder.empty() || folder.back() == '\\' ? folder : folder + "\\").c_str());
    }

    // The file's patch or compressed copy, when the mirror offers one;
    // Failed without a reason tells the caller to fetch the plain file. The
    // object stands for the whole file, so its bytes move the bar by the
    // file's share, scaled.
    Step FetchSmaller(const FileRecord& record, const std::string& target, const std::string& temp,
                      Fetched& fetched) {
        MakeFolder(record.m_sName);
        const double share = record.m_nSize > 0 ? static_cast<double>(record.m_nSize) : 0.0;
        DownloadDisplay::Pace pace;
        const DeltaFetch delta = FetchDelta(
            m_store, record, target, temp, kBlockSize,
            [&](size_t got, uint64_t received, uint64_t size) {
                m_display.Progress(record.m_sName, pace, got, received, size,
                                   m_doneBytes + static_cast<uint64_t>(share * received / size));
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

    UpdateRun& m_run;
    CUpdateStore& m_store;
    DownloadDisplay m_display;
    std::vector<Pending> m_pending;
    // The bytes of the files fetched so far; the current file's come on top.
    uint64_t m_doneBytes = 0;
    PassResult m_result;
};

}  // namespace

PassResult DownloadFiles(UpdateRun& run) {
    return DownloadPass(run).Run();
}
