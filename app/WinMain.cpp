// Process entry: the toolkit's settings, the single-instance rules against the
// lobby and a second launcher, then the one window and its message loop.
#include <windows.h>
#include <objbase.h>

#include <ctime>
#include <new>

#include "app/ChannelSwitch.h"
#include "app/LauncherConstants.h"
#include "app/PlazaUpdateWnd.h"
#include "base/Handles.h"
#include "launcher_settings.h"
#include "ui/core/WindowManager.h"

namespace {

constexpr DWORD kLobbyGraceMs = 900;

void ActivateExistingWindow(HWND hwnd) {
    if (::IsIconic(hwnd))
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::SetActiveWindow(hwnd);
    ::BringWindowToTop(hwnd);
    ::SetForegroundWindow(hwnd);
}

// True when a lobby is running: its window is still there after one pause.
bool LobbyStillRunning() {
    if (!::FindWindowA(kLobbyWindowClass, nullptr))
        return false;
    ::Sleep(kLobbyGraceMs);
    const HWND lobby = ::FindWindowA(kLobbyWindowClass, nullptr);
    if (!lobby)
        return false;
    ActivateExistingWindow(lobby);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    using SkinUI::CWindowManagerUI;
    CWindowManagerUI::SetInstance(hInstance);
    CWindowManagerUI::SetResourcePath(
        (CWindowManagerUI::GetModuleDirectory() + "Res\\Launcher\\").c_str());
    if (FAILED(::CoInitialize(nullptr)))
        return 0;
    CWindowManagerUI::SetResourcePackage("Launcher.pkg", false, settings::kPackagePassword);

    if (LobbyStillRunning())
        return 0;

    Base::UniqueKernelHandle mutex(::CreateMutexA(nullptr, FALSE, kInstanceMutexName));
    if (!mutex)
        return 0;
    const DWORD wait = ::WaitForSingleObject(mutex.get(), 0);
    const bool ownsMutex = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;

    if (const HWND existing = ::FindWindowA(kLauncherWindowClass, nullptr)) {
        ActivateExistingWindow(existing);
        return 0;
    }
    if (!ownsMutex)
        return 0;

    ::srand(static_cast<unsigned>(::time(nullptr)));

    auto* window = new (std::nothrow) CPlazaUpdateWnd();
    if (window) {
        window->Create(nullptr, kLauncherTitle, kLauncherStyle, 0);
        window->CenterWindow();
        const ChannelSwitch channel = ParseChannelSwitch(lpCmdLine ? lpCmdLine : "");
        window->m_nChannelId = channel.nChannelId;
        window->m_sCmdTail = channel.sCmdTail;
        window->ShowWindow(true, true);
        const HWND hwnd = window->GetHWND();
        ::SetActiveWindow(hwnd);
        ::BringWindowToTop(hwnd);
        ::SetForegroundWindow(hwnd);
        CWindowManagerUI::RunMessageLoop();
        // A quit posted without closing the window (a login, a hand-over)
        // leaves it open: its browser objects must go before COM does.
        if (::IsWindow(hwnd))
            ::DestroyWindow(hwnd);
        ::CoUninitialize();
    }
    return 0;
}
