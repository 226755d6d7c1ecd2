#include "update/DownloadFiles.h"

#include <windows.h>
#include <dbghelp.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/PlazaUpdateWnd.h"
#include "update/DigestSink.h"
#include "update/DownloadSession.h"
#include "update/MirrorFormat.h"
#include "update/ReleaseCheck.h"
#include "update/UpdateControls.h"
#include "update/UpdateRun.h"

namespace {

constexpr size_t kBlockSize = 16384;
constexpr DWORD kRefreshMs = 200;
constexpr char kLauncherSuffix[] = "\\Launcher.exe";

constexpr char kFailed[] = "下载失败：";
constexpr char kNoContentLength[] = "文件不存在！";
constexpr char kCreateFailed[] = "文件创建失败！";
constexpr char kMoveFailed[] = "复盖文件失败！";
constexpr char kBadName[] = "文件名非法！";
constexpr char kIncomplete[] = "文件不完整！";
constexpr char kDigestMismatch[] = "文件校验失败！";
constexpr char kTooLarge[] = "文件过大！";

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

std::string Format(const char* format, const std::string& name, int number = 0) {
    std::vector<char> text(name.size() + 64);
    std::snprintf(text.data(), text.size(), format, name.c_str(), number);
    return text.data();
}

float Fraction(uint64_t part, uint64_t whole) {
    return whole == 0 ? 1.0f : static_cast<float>(static_cast<double>(part) / whole);
}

int Percent(float fraction) {
    return static_cast<int>(std::min(fraction * 100.0f, 1.0e6f));
}

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

bool IsLauncherExecutable(const std::string& name) {
    const size_t slash = name.rfind('\\');
    return slash != std::string::npos &&
           name.compare(slash, std::string::npos, kLauncherSuffix) == 0;
}

class DownloadPass {
public:
    explicit DownloadPass(UpdateRun& run)
        : m_run(run), m_store(run.m_Store), m_count(run.m_Store.CountDownloads()) {}

    bool Run() {
        m_run.Post([](CPlazaUpdateWnd& w) { SetProgressValue(w, "AllFileProgress", 0, false); });
        for (FileRecord& record : m_store.m_lstDownload) {
            if (!record.m_bNeedDownload)
                continue;
            try {
                Download(record);
            } catch (const PassStopped&) {
                DiscardPending();
                return false;
            } catch (const PassFailure& failure) {
                DiscardPending();
                const std::string text = kFailed + record.m_sName + failure.reason;
                m_run.Post([text](CPlazaUpdateWnd& w) { ShowCurInfo(w, text); });
                return false;
            } catch (const PassRefused& refused) {
                DiscardPending();
                m_run.m_Refusal = refused.verdict;
                LogRefusal(refused.verdict, record.m_sName);
                const std::string text =
                    kFailed + record.m_sName +
                    (refused.verdict == ReleaseVerdict::TooLarge ? kTooLarge : kDigestMismatch);
                m_run.Post([text](CPlazaUpdateWnd& w) { ShowCurInfo(w, text); });
                return false;
            }
        }
        for (const Pending& pending : m_pending) {
            if (!PutInPlace(*pending.record, pending.temp, pending.target)) {
                const std::string text = kFailed + pending.record->m_sName + kMoveFailed;
                m_run.Post([text](CPlazaUpdateWnd& w) { ShowCurInfo(w, text); });
                return false;
            }
        }
        m_run.Post([](CPlazaUpdateWnd& w) { SetProgressValue(w, "AllFileProgress", 100, true); });
        return true;
    }

private:
    void Download(FileRecord& record) {
        StartFile(record.m_sName);
        if (!IsSafeListedName(record.m_sName))
            throw PassFailure{kBadName};

        const std::string target = LocalPath(m_store.m_sInstallDir, record.m_sName);
        const std::string temp = target + ".tmp";
        const std::string url = m_store.m_sBaseUrl + ToUrlPath(record.m_sName);
        const bool isSigned = m_store.m_pRelease != nullptr;
        m_listedSize = record.m_nSize;
        Fetched fetched = FetchToTemp(record.m_sName, url, temp, false);
        if (!SameDigest(fetched.digest, record.m_sMd5)) {
            // A stale copy from a cache is the likely cause: ask the server.
            m_passBytes -= fetched.length;
            ::DeleteFileA(temp.c_str());
            fetched = FetchToTemp(record.m_sName, url, temp, true);
            if (!SameDigest(fetched.digest, record.m_sMd5)) {
                ::DeleteFileA(temp.c_str());
                if (isSigned)
                    throw PassRefused{ReleaseVerdict::HashMismatch};
                throw PassFailure{kDigestMismatch};
            }
        }
        if (!IsDownloadAsSigned(m_store, record.m_sName, temp)) {
            ::DeleteFileA(temp.c_str());
            throw PassRefused{ReleaseVerdict::HashMismatch};
        }
        FinishFile(record.m_sName, fetched.length);
        // A signed release is put in place only once every file has passed,
        // so a refused one changes no file.
        if (isSigned) {
            m_pending.push_back({&record, temp, target});
            return;
        }
        if (!PutInPlace(record, temp, target))
            throw PassFailure{kMoveFailed};
    }

    bool PutInPlace(FileRecord& record, const std::string& temp, const std::string& target) {
        if (IsLauncherExecutable(record.m_sName)) {
            // The running launcher cannot be replaced; the lobby moves it.
            record.m_bNeedDownload = false;
            m_run.m_bReplacePlazaUpdate = true;
            m_run.Post([](CPlazaUpdateWnd& w) { w.m_bReplacePlazaUpdate = true; });
            return true;
        }
        if (!::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            return false;
        record.m_bNeedDownload = false;
        return true;
    }

    void DiscardPending() {
        for (const Pending& pending : m_pending)
            ::DeleteFileA(pending.temp.c_str());
        m_pending.clear();
    }

    void StartFile(const std::string& name) {
        m_recent.push_back(name);
        const size_t first = m_recent.size() > 3 ? m_recent.size() - 3 : 0;
        std::vector<std::string> labels(m_recent.begin() + first, m_recent.end());
        m_run.Post([name, labels](CPlazaUpdateWnd& w) {
            w.m_vUpdateFileInfo.push_back(name);
            w.m_fCurFileProgress = 0.0f;
            for (size_t i = 0; i < labels.size(); ++i) {
                char control[32];
                std::snprintf(control, sizeof(control), "UpdateFileInfo%d", static_cast<int>(i));
                SetControlText(w, control, labels[i]);
            }
            SetProgressValue(w, "CurFileProgress", 0, false);
        });
    }

    struct Fetched {
        uint64_t length;
        std::string digest;
    };

    // Downloads url into temp and checks its length; returns the length and
    // the digest of what was written. The temporary file is deleted on every
    // failure.
    Fetched FetchToTemp(const std::string& name, const std::string& url, const std::string& temp,
                        bool bypassCache) {
        auto file = m_store.Session().Open(url, bypassCache, m_store.GetStopSignal());
        if (m_run.IsStopped())
            throw PassStopped{};
        if (!file)
            throw PassFailure{};
        const DWORD status = file->StatusCode();
        // No status at all: the connection broke before any answer, which
        // is no server error.
        if (status == 0)
            throw PassFailure{};
        if (status < 200 || status > 299) {
            char reason[48];
            std::snprintf(reason, sizeof(reason), "服务器错误%lu！",
                          static_cast<unsigned long>(status));
            throw PassFailure{reason};
        }
        uint64_t length = 0;
        if (!file->QueryContentLength(length))
            throw PassFailure{kNoContentLength};
        // The signed list fixes every size: a longer body is never read.
        if (m_store.m_pRelease && static_cast<int64_t>(length) != m_listedSize) {
            throw PassRefused{static_cast<int64_t>(length) > m_listedSize
                                  ? ReleaseVerdict::TooLarge
                                  : ReleaseVerdict::HashMismatch};
        }

        const size_t slash = name.rfind('\\');
        const std::string folder = LocalPath(
            m_store.m_sInstallDir, slash == std::string::npos ? "" : name.substr(0, slash));
        ::MakeSureDirectoryPathExists(
            (folder.empty() || folder.back() == '\\' ? folder : folder + "\\").c_str());
        Base::UniqueKernelHandle out(::CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                   nullptr));
        if (!out)
            throw PassFailure{kCreateFailed};

        uint64_t received = 0;
        uint64_t sinceRefresh = 0;
        DWORD refreshTime = ::timeGetTime();
        FileSink fileSink(out.get());
        DigestSink sink(fileSink);
        const ReadResult result = file->ReadInto(sink, kBlockSize, [&](size_t got) {
            received += got;
            m_passBytes += got;
            sinceRefresh += got;
            const DWORD now = ::timeGetTime();
            if (now - refreshTime >= kRefreshMs || received == length) {
                const DWORD elapsed = now - refreshTime ? now - refreshTime : 1;
                const int speed = static_cast<int>((sinceRefresh / 1024.0) / (elapsed / 1000.0));
                sinceRefresh = 0;
                refreshTime = now;
                Refresh(name, Fraction(m_passBytes, m_count.totalSize), Fraction(received, length),
                        speed);
            }
        });
        const bool flushed = result == ReadResult::Complete && ::FlushFileBuffers(out.get());
        out.reset();
        file->Close();
        if (result != ReadResult::Complete || !flushed || received != length) {
            ::DeleteFileA(temp.c_str());
            m_passBytes -= received;
            if (result == ReadResult::Stopped || m_run.IsStopped())
                throw PassStopped{};
            if (result == ReadResult::Complete && flushed)
                throw PassFailure{kIncomplete};
            throw PassFailure{};
        }
        return {length, sink.HexDigest()};
    }

    void Refresh(const std::string& name, float all, float cur, int speed) {
        const std::string info = Format("正在下载：%s %dKB/s", name, speed);
        m_run.Post([all, cur, info](CPlazaUpdateWnd& w) {
            w.m_fAllFileProgress = all;
            w.m_fCurFileProgress = cur;
            SetProgressValue(w, "AllFileProgress", Percent(all), true);
            SetProgressValue(w, "CurFileProgress", Percent(cur), false);
            ShowCurInfo(w, info);
        });
    }

    void FinishFile(const std::string& name, uint64_t length) {
        m_finishedBytes += length;
        const float all = Fraction(m_finishedBytes, m_count.totalSize);
        const std::string info = Format("%s下载完毕，正在复盖...", name);
        m_run.Post([all, info](CPlazaUpdateWnd& w) {
            w.m_fAllFileProgress = all;
            w.m_fCurFileProgress = 1.0f;
            ShowCurInfo(w, info);
        });
    }

    struct Pending {
        FileRecord* record;
        std::string temp;
        std::string target;
    };

    UpdateRun& m_run;
    CUpdateStore& m_store;
    const DownloadCount m_count;
    std::vector<Pending> m_pending;
    int64_t m_listedSize = 0;
    std::vector<std::string> m_recent;
    uint64_t m_passBytes = 0;
    uint64_t m_finishedBytes = 0;
};

}  // namespace

bool DownloadFiles(UpdateRun& run) {
    return DownloadPass(run).Run();
}
