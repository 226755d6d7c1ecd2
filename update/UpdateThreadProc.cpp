#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "base/LobbyInterface.h"
#include "base/MessageCaption.h"
#include "base/ProgramFolder.h"
#include "update/DownloadFiles.h"
#include "update/HandOverRecord.h"
#include "update/HttpStatusText.h"
#include "update/ReleaseCheck.h"
#include "update/UpdateLog.h"
#include "update/UpdateRun.h"
#include "update/UpdateThread.h"
#include "update/UpdateView.h"

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
constexpr char kAllChecked[] = "所有文件校验完毕...";
constexpr char kHandOverAbandoned[] = "新版启动器多次未能替换旧版，本次继续使用当前启动器。";

// Shows text and gives the view's thread a moment to paint it; false when
// the run was stopped meanwhile.
bool ShowState(UpdateRun& run, const std::string& text) {
    run.PostState(text);
    return run.Pause(kStatusPauseMs);
}

void BeginAttempt(UpdateRun& run, unsigned attempt) {
    run.m_bReplacePlazaUpdate = false;
    run.m_bHandOverAbandoned = false;
    run.Post([](UpdateView& v) {
        v.EnableLoginButtons(false);
        v.m_bUpdating = true;
        v.m_vUpdateFileInfo.clear();
        v.m_fAllFileProgress = 0.0f;
        v.m_fCurFileProgress = 0.0f;
        v.m_bReplacePlazaUpdate = false;
        v.m_bUpdateFinished = false;
        v.m_sCurInfo.clear();
    });
    run.PostAttempt(attempt);
}

void ShowDisplayVersion(UpdateRun& run) {
    char text[512];
    std::snprintf(text, sizeof(text), "%s　版本号：%s", kProductTitle,
                  run.m_Store.GetDisplayVersion().c_str());
    const std::string version = text;
    run.Post([version](UpdateView& v) { v.ShowVersion(version); });
}

// The lobby puts the new launcher in place once this one has quit. The
// hand-over is counted first; one that cannot be counted is not made, as it
// could repeat on every start.
bool HandOverToLobby(UpdateRun& run) {
    if (!RecordHandOver(run.m_Store.m_sInstallDir)) {
        AppendUpdateLog("HandOverNotRecorded");
        return false;
    }
    const std::string lobby = run.m_Store.m_sInstallDir + "Lobby.exe";
    const auto started = reinterpret_cast<INT_PTR>(::ShellExecuteA(
        run.m_hOwner, "open", lobby.c_str(), kReplacePlazaUpdateSwitch, "", SW_SHOWNORMAL));
    if (started < 32)
        ::MessageBoxA(nullptr, "Lobby.exe启动失败!", kMessageCaption, MB_OK);
    run.Post([](UpdateView& v) { v.RequestQuit(); });
    return true;
}

// The old launcher carries on with the new one still waiting; the stamp is
// saved all the same, so later starts do not check every file again only to
// find the same launcher. The record keeps the count for that digest: the
// next release's launcher is handed over afresh.
void KeepOldLauncher(UpdateRun& run) {
    run.m_bReplacePlazaUpdate = false;
    run.Post([](UpdateView& v) { v.m_bReplacePlazaUpdate = false; });
    run.PostCurInfo(kHandOverAbandoned);
}

void EnterReadyState(UpdateRun& run, const std::string& state = kStateReady) {
    run.Post([state](UpdateView& v) {
        v.m_fAllFileProgress = 1.0f;
        v.m_fCurFileProgress = 1.0f;
        v.m_sUpdateState = state;
        v.NotifyUpdateComplete();
        v.m_bUpdateFinished = true;
        v.m_bUpdating = false;
        v.ShowAllFileProgress(100, true);
        v.ShowUpdateState(state);
        if (!v.ArmAutoLogon())
            v.EnableLoginButtons(true);
    });
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

enum class CheckResult { Ready, Ended };

// Fetches the file list, downloads what differs and saves the stamp.
CheckResult CheckAndDownload(UpdateRun& run, const std::string& mirror) {
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
        run.PostState(kStateChecking);
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
    const bool listed = store.BuildDownloadList([&run](const std::string& name) {
        run.Post([name](UpdateView& v) {
            v.m_vUpdateFileInfo.push_back(name);
            v.NotifyUpdateComplete();
        });
    });
    if (!listed)
        return CheckResult::Ended;
    // Only a run with files to fetch asks which of them come smaller.
    if (!store.m_lstDownload.empty())
        store.FetchPatchIndex(mirror);
    run.Post([](UpdateView& v) {
        v.m_vUpdateFileInfo.clear();
        v.m_sCurInfo = kAllChecked;
    });
    if (!ShowState(run, kStateDownloading))
        return CheckResult::Ended;

    // A pass that failed leaves the old stamp, so the next start checks the
    // files again instead of trusting an installation that is incomplete.
    if (!DownloadFiles(run)) {
        if (run.m_Refusal != ReleaseVerdict::Accepted && !run.IsStopped())
            EnterReadyState(run, RefusalStatusText(run.m_Refusal));
        return run.m_Refusal != ReleaseVerdict::Accepted || run.IsStopped() ? CheckResult::Ended
                                                                            : CheckResult::Ready;
    }

    if (!ShowState(run, kStateDownloading))
        return CheckResult::Ended;
    run.m_bReleaseNotSaved = !RecordAcceptedRelease(store);
    // The stamp waits until the new launcher is in place: the launcher the
    // lobby starts after the move finds every file current and saves it.
    // Saved now, a failed move would go unnoticed and the new launcher would
    // never be applied.
    if (run.m_bReplacePlazaUpdate && HandOverToLobby(run))
        return CheckResult::Ready;
    if (run.m_bReplacePlazaUpdate || run.m_bHandOverAbandoned)
        KeepOldLauncher(run);
    else
        ForgetHandOvers(store.m_sInstallDir);
    if (store.IsLocalVersionCurrent())
        return CheckResult::Ready;
    if (store.SaveLocalVersion() || store.SaveLocalVersion())
        return CheckResult::Ready;
    run.PostState(kStateSaveFailed);
    return CheckResult::Ended;
}

}  // namespace

unsigned UpdateThreadProc(const std::shared_ptr<UpdateRun>& run) {
    CUpdateStore& store = run->m_Store;
    for (;;) {
        const unsigned attempt = ++run->m_nUpdateAttempt;
        BeginAttempt(*run, attempt);
        const std::string& mirror = run->MirrorForAttempt(attempt);
        store.m_sBaseUrl = mirror + "plaza";
        store.m_sInstallDir = Base::ProgramFolder();
        if (!ShowState(*run, kStateUpdating))
            return 0;

        if (!store.FetchVersion(mirror + "ver.html")) {
            if (run->IsStopped())
                return 0;
            if (store.m_bTextTooLarge && IsSigned(*run)) {
                RefuseRelease(*run, ReleaseVerdict::TooLarge, mirror + "ver.html");
                return 0;
            }
            // A proxy that wants a login is something the player can act
            // on. The status line holds about fifteen characters, so the
            // reason stands alone.
            const std::string failed = store.m_nTextStatus == kProxyLoginStatus
                                           ? HttpStatusText(store.m_nTextStatus)
                                           : std::string(kStateVersionFailed);
            if (!ShowState(*run, failed))
                return 0;
            run->Post([](UpdateView& v) { v.EnableRepair(); });
            // Only the first run rotates through the mirrors: the counter
            // is never reset.
            if (attempt == 1 || attempt == 2)
                continue;
            return 0;
        }
        if (const ReleaseVerdict verdict = CheckReleaseOfVersion(store, mirror);
            verdict != ReleaseVerdict::Accepted) {
            if (!run->IsStopped()) {
                RefuseRelease(*run, verdict,
                              verdict == ReleaseVerdict::StateUnreadable
                                  ? HighestReleasePath(store.m_sInstallDir)
                                  : mirror + kReleaseSigName);
            }
            return 0;
        }
        ShowDisplayVersion(*run);
        if (!ShowState(*run, kStateChecking))
            return 0;

        if (run->m_bForceCheck || !store.IsLocalVersionCurrent()) {
            if (CheckAndDownload(*run, mirror) == CheckResult::Ended)
                return 0;
        } else {
            run->m_bReleaseNotSaved = !RecordAcceptedRelease(store);
        }
        // The files are in place either way: a release number that could not
        // be saved only weakens the rollback check, so the player may still
        // log in, is told instead of the usual prompt, and the next start
        // tries again.
        EnterReadyState(*run, run->m_bReleaseNotSaved ? kStateReleaseSaveFailed : kStateReady);
        return 0;
    }
}
