#include "update/run/UpdateThread.h"

#include <windows.h>

#include <cstdio>
#include <exception>

#include "base/ProgramFolder.h"
#include "update/log/UpdateLog.h"
#include "update/net/HttpStatusText.h"
#include "update/place/HandOverRecord.h"
#include "update/place/InstallTransaction.h"
#include "update/place/LobbyHandOver.h"
#include "update/place/LockHolders.h"
#include "update/place/ReleaseRecord.h"
#include "update/run/DownloadFiles.h"
#include "update/run/ReleaseCheck.h"
#include "update/run/UpdateEngine.h"
#include "update/run/UpdateRun.h"

namespace {

constexpr DWORD kStatusPauseMs = 20;
constexpr char kProductTitle[] = "Vedu";

constexpr char kStateUpdating[] = "正在更新...";
constexpr char kStateVersionFailed[] = "版本文件下载失败...";
constexpr char kStateChecking[] = "校对版本...";
constexpr char kStateDownloading[] = "更新中...";
constexpr char kStateReady[] = "请输入账号和密码：";
constexpr char kStateSaveFailed[] = "ver.ini保存失败！";
constexpr char kStateReleaseSaveFailed[] = "release.ini保存失败！";
constexpr char kHandOverAbandoned[] = "新版启动器多次未能替换旧版，本次继续使用当前启动器。";
constexpr char kHandOverNotRecorded[] =
    "handover.ini无法保存，新版启动器下次启动时再替换，本次继续使用当前启动器。";
constexpr char kStateRecoveryFailed[] = "上次的更新无法还原！";
constexpr char kLobbyStartFailed[] = "Lobby.exe启动失败!";

// Shows text and gives the view's thread a moment to paint it; false when
// the run was stopped meanwhile.
void PostState(UpdateRun& run, const std::string& text) {
    run.Post([text](UpdateView& v) { v.ShowUpdateState(text); });
}

bool ShowState(UpdateRun& run, const std::string& text) {
    PostState(run, text);
    return run.Pause(kStatusPauseMs);
}

void BeginAttempt(UpdateRun& run, unsigned attempt) {
    run.PostToEngine([](UpdateEngine& engine) { engine.OnAttemptBegun(); });
    run.PostAttempt(attempt);
}

void ShowDisplayVersion(UpdateRun& run) {
    char text[512];
    std::snprintf(text, sizeof(text), "%s　版本号：%s", kProductTitle,
                  run.m_Store.GetDisplayVersion().c_str());
    const std::string version = text;
    run.Post([version](UpdateView& v) { v.ShowVersion(version); });
}

// The lobby puts the new launcher in place once this one has quit, so the
// window quits at once: nothing may log in meanwhile. A hand-over that
// cannot be counted is not made, as it could repeat on every start: the old
// launcher carries on, the stamp waits, and the next start tries again.
bool HandOverToLobby(UpdateRun& run) {
    const HandOver handOver =
        ::HandOverToLobby(run.m_Store.m_sInstallDir, run.m_hOwner, Uncounted::Skip);
    if (handOver == HandOver::NotRecorded) {
        run.PostToEngine([](UpdateEngine& engine) { engine.OnLauncherWaiting(false); });
        run.PostCurInfo(kHandOverNotRecorded);
        return false;
    }
    run.Post([handOver](UpdateView& v) {
        if (handOver == HandOver::StartFailed)
            v.ShowMessage(kLobbyStartFailed);
        v.RequestQuit();
    });
    return true;
}

// The old launcher carries on with the new one still waiting; the stamp is
// saved all the same, so later starts do not check every file again only to
// find the same launcher. The record keeps the count for that digest: the
// next release's launcher is handed over afresh.
void KeepOldLauncher(UpdateRun& run) {
    run.PostToEngine([](UpdateEngine& engine) { engine.OnLauncherWaiting(false); });
    run.PostCurInfo(kHandOverAbandoned);
}

void EnterReadyState(UpdateRun& run, const std::string& state = kStateReady) {
    run.PostToEngine([state](UpdateEngine& engine) { engine.OnReady(state); });
}

// A refused release changes nothing more (no file, no stamp, no release
// number); the player can still log in with the installation as it is.
void RefuseRelease(UpdateRun& run, ReleaseVerdict verdict, const std::string& what) {
    LogRefusal(verdict, what);
    EnterReadyState(run, RefusalStatusText(verdict));
}

bool IsSigned(const UpdateRun& run) {
    return !run.m_Store.m_vReleaseKeys.empty();
}

// How the check and download of one attempt ended: ready for login (with
// the release number saved or not), or ended with nothing more to show.
enum class CheckResult { Ready, ReleaseNotSaved, Ended };

CheckResult RecordRelease(const CUpdateStore& store) {
    return RecordAcceptedRelease(store) ? CheckResult::Ready : CheckResult::ReleaseNotSaved;
}

// After a pass that placed every file: the stamp, or the hand-over. A
// signed release's backups and journal go before the hand-over, after which
// this launcher quits; otherwise `installed` takes the transaction, whose
// backups go once the stamp is saved (or failed to save: the files are all
// in place either way) and the player has been let in.
CheckResult SaveStamp(UpdateRun& run, const PassResult& pass, CheckResult recorded,
                      std::shared_ptr<InstallTransaction>& installed) {
    CUpdateStore& store = run.m_Store;
    // The stamp waits until the new launcher is in place: the launcher the
    // lobby starts after the move finds every file current and saves it.
    // Saved now, a failed move would go unnoticed and the new launcher would
    // never be applied.
    if (pass.launcherWaiting) {
        if (pass.installed)
            pass.installed->Commit(run.m_pStop.get());
        return HandOverToLobby(run) ? CheckResult::Ended : recorded;
    }
    if (pass.handOverAbandoned)
        KeepOldLauncher(run);
    else
        ForgetHandOvers(store.m_sInstallDir);
    const bool saved =
        store.IsLocalVersionCurrent() || store.SaveLocalVersion() || store.SaveLocalVersion();
    installed = pass.installed;
    if (saved)
        return recorded;
    PostState(run, kStateSaveFailed);
    return CheckResult::Ended;
}

// Fetches the file list, downloads what differs and saves the stamp;
// `installed` takes a signed release's transaction that waits for its
// commit.
CheckResult CheckAndDownload(UpdateRun& run, const std::string& mirror,
                             std::shared_ptr<InstallTransaction>& installed) {
    CUpdateStore& store = run.m_Store;
    if (!ShowState(run, kStateChecking))
        return CheckResult::Ended;
    if (!store.FetchFileList(mirror + "file.html")) {
        if (run.IsStopped())
            return CheckResult::Ended;
        if (store.m_bTextTooLarge && IsSigned(run)) {
            RefuseRelease(run, ReleaseVerdict::TooLarge, mirror + "file.html");
            return CheckResult::Ended;
        }
        PostState(run, kStateChecking);
        run.Post([](UpdateView& v) { v.EnableRepair(); });
        return CheckResult::Ended;
    }
    if (const ReleaseVerdict verdict = CheckReleaseOfFileList(store);
        verdict != ReleaseVerdict::Accepted) {
        RefuseRelease(run, verdict, mirror + "file.html");
        return CheckResult::Ended;
    }
    if (!ShowState(run, kStateChecking))
        return CheckResult::Ended;
    if (!store.BuildDownloadList())
        return CheckResult::Ended;
    // Only a run with files to fetch asks which of them come smaller.
    if (!store.m_lstDownload.empty())
        store.FetchPatchIndex(mirror);
    if (!ShowState(run, kStateDownloading))
        return CheckResult::Ended;

    const PassResult pass = DownloadFiles(run);
    if (pass.launcherWaiting)
        run.PostToEngine([](UpdateEngine& engine) { engine.OnLauncherWaiting(true); });
    switch (pass.outcome) {
        case PassResult::Outcome::Done:
            break;
        case PassResult::Outcome::Refused:
            if (!run.IsStopped())
                EnterReadyState(run, RefusalStatusText(pass.refusal));
            return CheckResult::Ended;
        case PassResult::Outcome::Stopped:
            return CheckResult::Ended;
        case PassResult::Outcome::Failed:
            // The old stamp stays, so the next start checks the files again
            // instead of trusting an installation that is incomplete.
            return run.IsStopped() ? CheckResult::Ended : CheckResult::Ready;
    }

    // Stopped here, a signed release's journal stays, and the next start
    // finds every new file in place and finishes it.
    if (!ShowState(run, kStateDownloading))
        return CheckResult::Ended;
    return SaveStamp(run, pass, RecordRelease(store), installed);
}

// A signed release's pass that the last launcher did not end (it was
// killed, the power went) is finished or put back before anything else, so
// no check or login ever sees an installation of two releases. False when
// the run ends here.
bool RecoverUnfinishedInstall(UpdateRun& run) {
    const std::string& installDir = run.m_Store.m_sInstallDir;
    const Recovery recovery = RecoverInstall(installDir, run.m_pStop.get());
    const std::string files = std::to_string(recovery.files) + " files";
    switch (recovery.outcome) {
        case Recovery::Outcome::None:
            return true;
        case Recovery::Outcome::Finished:
            AppendUpdateLog("InstallFinished: " + files);
            return true;
        case Recovery::Outcome::RolledBack:
            AppendUpdateLog("InstallRolledBack: " + files);
            return true;
        case Recovery::Outcome::Unreadable:
            AppendUpdateLog("InstallJournalUnreadable");
            return true;
        case Recovery::Outcome::Stopped:
            return false;
        case Recovery::Outcome::Failed:
            break;
    }
    // The journal stays; "repair" tries again once the file is free.
    AppendUpdateLog("InstallRecoveryFailed:" + recovery.failedName);
    PostState(run, kStateRecoveryFailed);
    run.PostCurInfo(LockedFileText(InstalledFilePath(installDir, recovery.failedName)));
    run.Post([](UpdateView& v) { v.EnableRepair(); });
    return false;
}

// One run, attempt after attempt: only the first run rotates through the
// mirrors.
void RunAttempts(UpdateRun& run) {
    CUpdateStore& store = run.m_Store;
    for (bool first = true;; first = false) {
        const unsigned attempt = ++run.m_nUpdateAttempt;
        BeginAttempt(run, attempt);
        const std::string& mirror = run.MirrorForAttempt(attempt);
        store.m_sBaseUrl = mirror + "plaza";
        store.m_sInstallDir = Base::ProgramFolder();
        if (first && !RecoverUnfinishedInstall(run))
            return;
        if (!ShowState(run, kStateUpdating))
            return;

        if (!store.FetchVersion(mirror + "ver.html")) {
            if (run.IsStopped())
                return;
            if (store.m_bTextTooLarge && IsSigned(run)) {
                RefuseRelease(run, ReleaseVerdict::TooLarge, mirror + "ver.html");
                return;
            }
            // A proxy that wants a login is something the player can act
            // on. The status line holds about fifteen characters, so the
            // reason stands alone.
            const std::string failed = store.m_nTextStatus == kProxyLoginStatus
                                           ? HttpStatusText(store.m_nTextStatus)
                                           : std::string(kStateVersionFailed);
            if (!ShowState(run, failed))
                return;
            run.Post([](UpdateView& v) { v.EnableRepair(); });
            // The counter is never reset, so later runs try one mirror.
            if (attempt == 1 || attempt == 2)
                continue;
            return;
        }
        if (const ReleaseVerdict verdict = CheckReleaseOfVersion(store, mirror);
            verdict != ReleaseVerdict::Accepted) {
            if (!run.IsStopped()) {
                RefuseRelease(run, verdict,
                              verdict == ReleaseVerdict::StateUnreadable
                                  ? HighestReleasePath(store.m_sInstallDir)
                                  : mirror + kReleaseSigName);
            }
            return;
        }
        ShowDisplayVersion(run);
        if (!ShowState(run, kStateChecking))
            return;

        std::shared_ptr<InstallTransaction> installed;
        const CheckResult result = run.m_bForceCheck || !store.IsLocalVersionCurrent()
                                       ? CheckAndDownload(run, mirror, installed)
                                       : RecordRelease(store);
        // The files are in place either way: a release number that could
        // not be saved only weakens the rollback check, so the player may
        // still log in, is told instead of the usual prompt, and the next
        // start tries again.
        if (result != CheckResult::Ended)
            EnterReadyState(run, result == CheckResult::ReleaseNotSaved ? kStateReleaseSaveFailed
                                                                        : kStateReady);
        // Removing thousands of backups takes longer than the rest of the
        // install did, and the installation is the new release already, so
        // the player does not wait for it. A stop (the login quits the
        // launcher) leaves the rest to the next start.
        if (installed)
            installed->Commit(run.m_pStop.get());
        return;
    }
}

}  // namespace

void RunUpdateThread(const std::shared_ptr<UpdateRun>& run) {
    std::string why;
    try {
        RunAttempts(*run);
        // The engine keeps what this run learnt for the next one.
        run->PostToEngine(
            [store = run->m_Store](UpdateEngine& engine) { engine.OnRunEnded(store); });
        return;
    } catch (const std::exception& e) {
        why = std::string(": ") + e.what();
    } catch (...) {
    }
    AppendUpdateLog("UpdateFailed" + why);
    run->PostToEngine([](UpdateEngine& engine) { engine.OnRunFailed(); });
}
