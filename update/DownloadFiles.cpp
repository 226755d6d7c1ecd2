#include "update/DownloadFiles.h"

#include <windows.h>
#include <dbghelp.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>

#include "update/DeltaDownload.h"
#include "update/DiskSpace.h"
#include "update/DownloadDisplay.h"
#include "update/DownloadSession.h"
#include "update/HttpRange.h"
#include "update/HttpStatusText.h"
#include "update/LockHolders.h"
#include "update/MirrorFormat.h"
#include "update/ReleaseCheck.h"
#include "update/ReplaceFile.h"
#include "update/TempFileSink.h"
#include "update/UpdateLog.h"
#include "update/UpdateRun.h"
#include "update/UpdateView.h"
#include "update/WaitingLauncher.h"

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

// A failure that ends the pass; the reason follows the name on screen.
struct PassFailure {
    std::string reason;
};
// The run was stopped: nothing more is shown.
struct PassStopped {};
// A signed release that does not hold: the whole release is refused.
struct PassRefused {
    ReleaseVerdict verdict;
};
// A signed release's file answered with a length other than the signed one.
struct WrongLength {
    ReleaseVerdict verdict;
};

bool SameDigest(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// installDir ends in a backslash and listed names start with one.
std::string LocalPath(const std::string& installDir, const std::string& name) {
    return installDir + (name.empty() || name[0] != '\\' ? name : name.substr(1));
}

class DownloadPass {
public:
    explicit DownloadPass(UpdateRun& run)
        : m_run(run),
          m_store(run.m_Store),
          m_display(run, run.m_Store.CountDownloads().totalSize) {}

    bool Run() {
        m_display.Begin();
        if (!HasRoom())
            return false;
        const FileRecord* current = nullptr;
        try {
            for (FileRecord& record : m_store.m_lstDownload) {
                current = &record;
                if (record.m_bNeedDownload)
                    Download(record);
            }
            while (!m_pending.empty()) {
                const Pending& pending = m_pending.front();
                current = pending.record;
                PutInPlace(*pending.record, pending.temp, pending.target);
                m_pending.pop_front();
            }
        } catch (const PassStopped&) {
            DiscardPending(false);
            return false;
        } catch (const PassFailure& failure) {
            DiscardPending(false);
            m_display.ShowFailure(kFailed + current->m_sName + failure.reason);
            return false;
        } catch (const PassRefused& refused) {
            DiscardPending(true);
            m_run.m_Refusal = refused.verdict;
            LogRefusal(refused.verdict, current->m_sName);
            m_display.ShowFailure(
                kFailed + current->m_sName +
                (refused.verdict == ReleaseVerdict::TooLarge ? kTooLarge : kDigestMismatch));
            return false;
        }
        m_display.End();
        return true;
    }

private:
    void Download(FileRecord& record) {
        m_display.StartFile(record.m_sName);
        if (record.m_bBadName || !IsSafeListedName(record.m_sName))
            throw PassFailure{kBadName};

        const std::string target = LocalPath(m_store.m_sInstallDir, record.m_sName);
        const std::string temp = target + ".tmp";
        const std::string url = m_store.m_sBaseUrl + PercentEncodePath(ToUrlPath(record.m_sName));
        if (IsRunningLauncher(record.m_sName)) {
            switch (CheckWaitingLauncher(m_store, record, temp)) {
                case WaitingLauncher::HandOver:
                    m_display.FinishFile(record.m_sName, static_cast<uint64_t>(record.m_nSize));
                    Place(record, temp, target);
                    return;
                case WaitingLauncher::GiveUp:
                    AppendUpdateLog("HandOverAbandoned:" + record.m_sName);
                    record.m_bNeedDownload = false;
                    m_run.m_bHandOverAbandoned = true;
                    return;
                case WaitingLauncher::None:
                    break;
            }
        }
        Fetched fetched;
        bool stale = false;
        try {
            std::optional<Fetched> smaller = FetchSmaller(record, target, temp);
            fetched = smaller ? std::move(*smaller) : FetchToTemp(record, url, temp, false);
            stale = !SameDigest(fetched.md5, record.m_sMd5);
            if (stale)
                m_passBytes -= fetched.length;
        } catch (const WrongLength&) {
            stale = true;
        }
        if (stale) {
            // A stale copy from a cache, or a resumed .tmp that began as
            // another release's file: once more, whole and from the server.
            ::DeleteFileA(temp.c_str());
            try {
                fetched = FetchToTemp(record, url, temp, true);
            } catch (const WrongLength& wrong) {
                throw PassRefused{wrong.verdict};
            }
            if (!SameDigest(fetched.md5, record.m_sMd5)) {
                ::DeleteFileA(temp.c_str());
                if (m_store.m_pRelease)
                    throw PassRefused{ReleaseVerdict::HashMismatch};
                throw PassFailure{kDigestMismatch};
            }
        }
        if (!IsDownloadAsSigned(m_store, record.m_sName, fetched.sha256)) {
            ::DeleteFileA(temp.c_str());
            throw PassRefused{ReleaseVerdict::HashMismatch};
        }
        m_display.FinishFile(record.m_sName, fetched.length);
        Place(record, temp, target);
    }

    // A signed release is put in place only once every file has passed, so
    // a refused one changes no file.
    void Place(FileRecord& record, const std::string& temp, const std::string& target) {
        if (m_store.m_pRelease)
            m_pending.push_back({&record, temp, target});
        else
            PutInPlace(record, temp, target);
    }

    void PutInPlace(FileRecord& record, const std::string& temp, const std::string& target) {
        if (IsRunningLauncher(record.m_sName)) {
            // The running launcher cannot be replaced; the lobby moves it.
            record.m_bNeedDownload = false;
            m_run.m_bReplacePlazaUpdate = true;
            m_display.Post([](UpdateView& v) { v.m_bReplacePlazaUpdate = true; });
            return;
        }
        switch (MoveOverTarget(temp, target, m_store.GetStopSignal())) {
            case ReplaceResult::Moved:
                record.m_bNeedDownload = false;
                return;
            case ReplaceResult::Stopped:
                throw PassStopped{};
            case ReplaceResult::Locked:
                AppendUpdateLog("Locked:" + record.m_sName);
                ::DeleteFileA(temp.c_str());
                throw PassFailure{LockedFileText(target)};
            case ReplaceResult::Failed:
                break;
        }
        ::DeleteFileA(temp.c_str());
        throw PassFailure{kMoveFailed};
    }

    // Checks, before any byte is fetched, that the volume has room for what
    // the pass will write; says so and ends the pass when it has not.
    bool HasRoom() {
        uint64_t needed = 0;
        for (const FileRecord& record : m_store.m_lstDownload) {
            if (!record.m_bNeedDownload || !IsSafeListedName(record.m_sName) ||
                record.m_nSize < 0) {
                continue;
            }
            const std::string temp = LocalPath(m_store.m_sInstallDir, record.m_sName) + ".tmp";
            needed += static_cast<uint64_t>(record.m_nSize) -
                      ResumableLength(temp, record.m_nSize) + kRoomPerFile;
        }
        const std::string lack = LackOfRoomText(m_store.m_sInstallDir, needed);
        if (lack.empty())
            return true;
        m_display.ShowFailure(lack);
        return false;
    }

    // A new launcher that passed every check is kept when the pass ends for
    // another reason than a refusal: the next run hands it over without
    // fetching it again. The other files are fetched again anyway.
    void DiscardPending(bool refused) {
        for (const Pending& pending : m_pending) {
            if (refused || !IsRunningLauncher(pending.record->m_sName))
                ::DeleteFileA(pending.temp.c_str());
        }
        m_pending.clear();
    }

    struct Fetched {
        uint64_t length = 0;
        std::string md5;
        Sha256Digest sha256;  // only for a signed release
    };

    struct Response {
        std::unique_ptr<CHttpFile> file;
        DWORD status = 0;
        bool hasLength = false;
        uint64_t length = 0;  // Content-Length: the bytes of this answer
    };

    Response Open(const std::string& url, bool bypassCache, uint64_t offset) {
        Response response;
        response.file = m_store.Session().Open(url, bypassCache, offset, m_store.GetStopSignal());
        if (m_run.IsStopped())
            throw PassStopped{};
        if (!response.file)
            throw PassFailure{};
        response.status = response.file->StatusCode();
        response.hasLength = response.file->QueryContentLength(response.length);
        return response;
    }

    // The temporary file left by an interrupted download, as far as it can
    // be resumed: shorter than the listed size (a complete one is more
    // likely an old file than a finished one).
    static uint64_t ResumableLength(const std::string& temp, int64_t listedSize) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExA(temp.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return 0;
        }
        const uint64_t length =
            (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return listedSize > 0 && length < static_cast<uint64_t>(listedSize) ? length : 0;
    }

    // Downloads url into temp and checks its length; returns the length and
    // the digests of the whole file. A .tmp that an interrupted run left is
    // resumed when the server answers the rest with a matching range;
    // fromZero starts afresh and bypasses every cache. A transfer that
    // breaks off keeps what arrived, so the next attempt resumes it.
    Fetched FetchToTemp(const FileRecord& record, const std::string& url, const std::string& temp,
                        bool fromZero) {
        uint64_t offset = fromZero ? 0 : ResumableLength(temp, record.m_nSize);
        Response response = Open(url, fromZero, offset);
        if (offset > 0 &&
            !(response.status == 206 && response.hasLength &&
              ContentRangeResumes(response.file->QueryHeader(HTTP_QUERY_CONTENT_RANGE), offset,
                                  response.length))) {
            // The server ignores ranges (and sent the whole file) or
            // answered with something else: start from the beginning.
            offset = 0;
            if (response.status != 200) {
                response = Response();
                response = Open(url, false, 0);
            }
        }
        // No status at all: the connection broke before any answer, which
        // is no server error.
        if (response.status == 0)
            throw PassFailure{};
        if (response.status < 200 || response.status > 299)
            throw PassFailure{HttpStatusText(response.status)};
        if (!response.hasLength)
            throw PassFailure{kNoContentLength};
        const uint64_t length = offset + response.length;
        // The signed list fixes every size: a longer body is never read.
        if (m_store.m_pRelease && length != static_cast<uint64_t>(record.m_nSize)) {
            throw WrongLength{length > static_cast<uint64_t>(record.m_nSize)
                                  ? ReleaseVerdict::TooLarge
                                  : ReleaseVerdict::HashMismatch};
        }

        MakeFolder(record.m_sName);
        Base::UniqueKernelHandle out(::CreateFileA(
            temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
            offset > 0 ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            throw PassFailure{kCreateFailed};

        const std::string& name = record.m_sName;
        uint64_t received = offset;
        m_passBytes += offset;
        DownloadDisplay::Pace pace;
        TempFileSink sink(out.get(), m_store.m_pRelease != nullptr);
        const bool resumed =
            offset == 0 || (sink.TakeExisting(offset) && ::SetEndOfFile(out.get()));
        const ReadResult result =
            !resumed ? ReadResult::WriteFailed
                     : response.file->ReadInto(sink, kBlockSize, [&](size_t got) {
                           received += got;
                           m_passBytes += got;
                           m_display.Progress(name, pace, got, received, length, m_passBytes);
                       });
        sink.Finish();
        const bool written = result != ReadResult::WriteFailed;
        const bool flushed = written && ::FlushFileBuffers(out.get());
        const bool diskFull =
            sink.DiskFull() || (written && !flushed && IsDiskFullError(::GetLastError()));
        out.reset();
        response.file->Close();
        if (result != ReadResult::Complete || !flushed || received != length) {
            m_passBytes -= received;
            // What arrived is the start of the file, kept for the next
            // attempt; a file that could not be written is not.
            if (!flushed)
                ::DeleteFileA(temp.c_str());
            if (result == ReadResult::Stopped || m_run.IsStopped())
                throw PassStopped{};
            if (diskFull)
                throw PassFailure{kDiskFull};
            if (result == ReadResult::Complete && flushed)
                throw PassFailure{kIncomplete};
            throw PassFailure{};
        }
        return {length, sink.Digests().Md5Hex(), sink.Digests().Sha256()};
    }

    void MakeFolder(const std::string& name) {
        const size_t slash = FindLastSeparator(name);
        const std::string folder = LocalPath(
            m_store.m_sInstallDir, slash == std::string::npos ? "" : name.substr(0, slash));
        ::MakeSureDirectoryPathExists(
            (folder.empty() || folder.back() == '\\' ? folder : folder + "\\").c_str());
    }

    // The file's patch or compressed copy, when the mirror offers one; the
    // plain file is fetched when nothing comes of it. The object stands for
    // the whole file, so its bytes move the bar by the file's share, scaled.
    std::optional<Fetched> FetchSmaller(const FileRecord& record, const std::string& target,
                                        const std::string& temp) {
        MakeFolder(record.m_sName);
        const uint64_t start = m_passBytes;
        const double share = record.m_nSize > 0 ? static_cast<double>(record.m_nSize) : 0.0;
        DownloadDisplay::Pace pace;
        const DeltaFetch delta = FetchDelta(
            m_store, record, target, temp, kBlockSize,
            [&](size_t got, uint64_t received, uint64_t size) {
                m_passBytes = start + static_cast<uint64_t>(share * received / size);
                m_display.Progress(record.m_sName, pace, got, received, size, m_passBytes);
            });
        if (delta.outcome == DeltaFetch::Outcome::Stopped)
            throw PassStopped{};
        if (delta.outcome != DeltaFetch::Outcome::Fetched) {
            m_passBytes = start;
            return std::nullopt;
        }
        return Fetched{delta.length, delta.md5, delta.sha256};
    }

    struct Pending {
        FileRecord* record;
        std::string temp;
        std::string target;
    };

    UpdateRun& m_run;
    CUpdateStore& m_store;
    DownloadDisplay m_display;
    std::deque<Pending> m_pending;
    uint64_t m_passBytes = 0;
};

}  // namespace

bool DownloadFiles(UpdateRun& run) {
    return DownloadPass(run).Run();
}
