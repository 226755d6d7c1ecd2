#include "update/run/DownloadFiles.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "update/format/MirrorFormat.h"
#include "update/log/UpdateLog.h"
#include "update/net/InternetSession.h"
#include "update/net/StopSignal.h"
#include "update/place/DiskSpace.h"
#include "update/place/InstallTransaction.h"
#include "update/place/LockHolders.h"
#include "update/place/ReplaceFile.h"
#include "update/run/DownloadDisplay.h"
#include "update/run/DownloadStep.h"
#include "update/run/FetchWorkers.h"
#include "update/run/FileDownload.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateRun.h"
#include "update/run/WaitingLauncher.h"

namespace {

constexpr char kFailed[] = "下载失败：";
constexpr char kMoveFailed[] = "复盖文件失败！";
constexpr char kTooLarge[] = "文件过大！";
constexpr char kJournalFailed[] = "：安装记录install.journal无法写入，未替换任何文件！";

class DownloadPass {
public:
    explicit DownloadPass(UpdateRun& run)
        : m_store(run.m_Store),
          m_stop(*run.m_pStop),
          m_display([&run](ViewChange change) { run.Post(std::move(change)); },
                    run.m_Store.CountDownloads().totalSize),
          m_fetch(m_store, m_display, run.m_bForceCheck) {}

    // The workers fetch and check the files, several at a time; this thread
    // takes each file's result in list order and puts it in place.
    PassResult Run() {
        m_display.Begin();
        if (!HasRoom()) {
            m_result.outcome = PassResult::Outcome::Failed;
            return m_result;
        }
        m_files = FilesToFetch();
        m_fetches.assign(m_files.size(), FileFetch());
        // Each worker's fetches have their own part of the pass's stop, so
        // that a failure can stop the transfers after it, and only those.
        while (m_workers.size() < std::min<size_t>(kConnectionsPerServer, m_files.size()))
            m_workers.push_back({std::make_unique<StopSignal>(m_stop), kNoFile});
        const FileRecord* current = nullptr;
        Step step;
        size_t collected = 0;
        {
            FetchWorkers workers(
                m_files.size(), m_workers.size(),
                [this](size_t i) { m_display.StartFile(m_files[i]->m_sName); },
                [this, &workers](size_t i, size_t worker) { FetchOne(i, worker, workers); });
            while (step.ok() && collected < m_files.size()) {
                workers.WaitFor(collected);
                current = m_files[collected];
                // A stopped run puts nothing more in place, not even the
                // files fetched before the stop.
                step = m_stop.IsStopped() ? Stopped()
                                          : Collect(*m_files[collected], m_fetches[collected]);
                ++collected;
            }
            // The first failure ends the pass: the transfers still under way
            // stop now.
            if (!step.ok()) {
                workers.Close();
                m_stop.Stop();
            }
        }
        if (!step.ok())
            DiscardUnplaced(collected - 1, step.kind == Step::Kind::Refused);
        if (step.ok() && !m_pending.empty())
            step = PlacePending(current);
        if (!step.ok())
            End(step, *current);
        else
            m_display.End();
        return m_result;
    }

private:
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

    // The files the workers fetch, in list order. A name that must never
    // be opened ends the pass at its turn, so nothing after it is fetched.
    std::vector<FileRecord*> FilesToFetch() {
        std::vector<FileRecord*> files;
        for (FileRecord& record : m_store.m_lstDownload) {
            if (!record.m_bNeedDownload)
                continue;
            files.push_back(&record);
            if (record.m_bBadName || !IsSafeListedName(record.m_sName))
                break;
        }
        return files;
    }

    // On a worker. A file that fails ends the pass once its turn comes, so
    // the transfers of the files after it stop at once, and no more start.
    void FetchOne(size_t i, size_t worker, FetchWorkers& workers) {
        FileFetch& fetch = m_fetches[i];
        Worker& self = m_workers[worker];
        {
            std::lock_guard<std::mutex> lock(m_workersMutex);
            self.file = i;
            if (i > m_firstFailure)
                self.stop->Stop();
        }
        try {
            fetch.step = m_fetch.Download(*m_files[i], *self.stop, fetch);
        } catch (const std::exception& e) {
            AppendUpdateLog(std::string("UpdateFailed: ") + e.what());
            fetch.step = Failed();
        }
        fetch.done = true;
        std::lock_guard<std::mutex> lock(m_workersMutex);
        self.file = kNoFile;
        if (fetch.step.ok() || fetch.step.kind == Step::Kind::Stopped || i > m_firstFailure)
            return;
        m_firstFailure = i;
        workers.Close();
        for (Worker& other : m_workers) {
            if (other.file != kNoFile && other.file > i)
                other.stop->Stop();
        }
    }

    // On the pass thread, in list order.
    Step Collect(FileRecord& record, const FileFetch& fetch) {
        if (!fetch.step.ok())
            return fetch.step;
        if (fetch.ready == FileFetch::Ready::GiveUp) {
            AppendUpdateLog("HandOverAbandoned:" + record.m_sName);
            record.m_bNeedDownload = false;
            m_result.handOverAbandoned = true;
            return {};
        }
        m_display.FinishFile(record.m_sName, fetch.length);
        const std::string target = InstalledFilePath(m_store.m_sInstallDir, record.m_sName);
        return Place(record, target + ".tmp", target);
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
            return m_stop.IsStopped() ? Stopped() : Failed(kJournalFailed);
        // The pass's stop covers the run's.
        const InstallTransaction::Placed placed = install->MoveAll(&m_stop);
        if (placed.result != ReplaceResult::Moved) {
            current = records[placed.failed];
            if (!install->RollBack())
                AppendUpdateLog("InstallRollBackFailed:" + current->m_sName);
            if (placed.result == ReplaceResult::Stopped)
                return Stopped();
            if (placed.result != ReplaceResult::Locked)
                return Failed(kMoveFailed);
            AppendUpdateLog("Locked:" + current->m_sName);
            return Failed(
                LockedFileText(InstalledFilePath(m_store.m_sInstallDir, current->m_sName)));
        }
        for (FileRecord* record : records)
            record->m_bNeedDownload = false;
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
            const std::string temp =
                InstalledFilePath(m_store.m_sInstallDir, record.m_sName) + ".tmp";
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

    // The file whose turn ended the pass and the files after it, which the
    // workers may have fetched already: none is put in place, and the rule
    // for the files waiting to be moved holds for their complete .tmp files.
    // The start of a file that broke off stays, for the next run to resume.
    void DiscardUnplaced(size_t first, bool refused) {
        if (!refused)
            return;
        for (size_t i = first; i < m_files.size(); ++i) {
            if (m_fetches[i].done && m_fetches[i].step.ok() &&
                m_fetches[i].ready == FileFetch::Ready::Fetched) {
                ::DeleteFileA(
                    (InstalledFilePath(m_store.m_sInstallDir, m_files[i]->m_sName) + ".tmp")
                        .c_str());
            }
        }
    }

    CUpdateStore& m_store;
    // The pass's part of the run's stop; each file's fetch has a part of it.
    StopSignal m_stop;
    DownloadDisplay m_display;
    FileDownload m_fetch;
    std::vector<FileRecord*> m_files;  // the files to fetch, in list order
    std::vector<FileFetch> m_fetches;  // theirs, written by the workers
    struct Worker {
        std::unique_ptr<StopSignal> stop;
        size_t file;  // the file it fetches now
    };
    static constexpr size_t kNoFile = SIZE_MAX;
    std::mutex m_workersMutex;
    std::vector<Worker> m_workers;
    size_t m_firstFailure = kNoFile;  // the first file a worker saw fail
    std::vector<Pending> m_pending;
    PassResult m_result;
};

}  // namespace

PassResult DownloadFiles(UpdateRun& run) {
    return DownloadPass(run).Run();
}
