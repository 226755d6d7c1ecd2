#include "standins/lobby/ReplaceLauncher.h"

#include <windows.h>
#include <shellapi.h>

#include "base/Handles.h"

namespace {

constexpr char kLauncherMutex[] = "VuZerizovo";
// How long the launcher may take to quit after it started us.
constexpr DWORD kLauncherExitWaitMs = 10000;
// The executable can stay locked for a moment after its process ended.
constexpr int kMoveAttempts = 50;
constexpr DWORD kMoveRetryMs = 100;

// The launcher holds its instance mutex until its process ends; once we can
// take it, the launcher is gone. It is released at once, so the launcher we
// start next finds it free.
void WaitForLauncherExit() {
    const Base::UniqueKernelHandle mutex(
        ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kLauncherMutex));
    if (!mutex)
        return;
    const DWORD wait = ::WaitForSingleObject(mutex.get(), kLauncherExitWaitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        ::ReleaseMutex(mutex.get());
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    // Only a plain file may take the launcher's place: a replacing move of
    // anything else can remove the old launcher and then fail.
    const DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        ::Sleep(kMoveRetryMs);
    }
    return false;
}

}  // namespace

bool ReplaceLauncher(const std::string& folder) {
    const std::string launcher = folder + "Launcher.exe";
    WaitForLauncherExit();
    const bool replaced = MoveIntoPlace(launcher + ".tmp", launcher);
    ::ShellExecuteA(nullptr, "open", launcher.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    return replaced;
}
