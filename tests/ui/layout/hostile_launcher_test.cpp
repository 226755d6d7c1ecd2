// The real Launcher.exe on its own skin with every stretching filler made a
// tile layout whose negative gap cancels its cells (HostileSkin.cmake). The
// launcher must stay alive with the whole skin painted. Under Wine, as under
// 32-bit Windows, an exception in a window procedure is swallowed and leaves
// the window half painted, so the test reads the window's pixels: the hostile
// tiles themselves, and controls laid out and painted after the first of
// them, down to the link bar, the last row of the skin.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/Handles.h"

namespace {

using Base::UniqueHandle;
using Base::UniqueKernelHandle;

// The screen's DC, from GetDC(nullptr).
struct ScreenDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Valid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ::ReleaseDC(nullptr, dc); }
};

constexpr char kLauncherClass[] = "VuZerizovo";

// Where the shipped skin puts things in its 760 x 500 window, and the
// colours it gives them there.
struct Sample {
    const char* what;
    POINT at;
    COLORREF color;
};

constexpr COLORREF kGreenTile = RGB(0x00, 0xFF, 0x00);
const Sample kSamples[] = {
    {"tile in the caption bar", {300, 20}, kGreenTile},
    {"tile in the update buttons' row", {40, 410}, kGreenTile},
    {"tile in the link bar, the last row painted", {400, 483}, kGreenTile},
    {"separator after the caption bar", {470, 300}, RGB(0xD5, 0xDC, 0xE6)},
    {"background of the logon pages", {476, 45}, RGB(0xF4, 0xF6, 0xFA)},
};

std::string InstallFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "launcher-hostile-skin\\";
}

// The launcher beside the hostile skin package, where it looks for its skin.
bool Install(const std::string& folder) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA((folder + "Res").c_str(), nullptr);
    ::CreateDirectoryA((folder + "Res\\Launcher").c_str(), nullptr);
    const std::string bin = LAUNCHER_BIN_DIR;
    return ::CopyFileA((bin + "\\Launcher.exe").c_str(), (folder + "Launcher.exe").c_str(),
                       FALSE) &&
           ::CopyFileA((bin + "\\hostile-skin\\Launcher.pkg").c_str(),
                       (folder + "Res\\Launcher\\Launcher.pkg").c_str(), FALSE);
}

UniqueKernelHandle Start(const std::string& folder) {
    std::string cmd = "\"" + folder + "Launcher.exe\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &si, &pi)) {
        return UniqueKernelHandle();
    }
    ::CloseHandle(pi.hThread);
    return UniqueKernelHandle(pi.hProcess);
}

// The pixel on screen at a point of the window's client area.
COLORREF PixelAt(HWND window, POINT at) {
    ::ClientToScreen(window, &at);
    const UniqueHandle<HDC, ScreenDcTraits> screen(::GetDC(nullptr));
    return ::GetPixel(screen.get(), at.x, at.y);
}

bool AllPainted(HWND window) {
    for (const Sample& sample : kSamples) {
        if (PixelAt(window, sample.at) != sample.color)
            return false;
    }
    return true;
}

TEST(HostileLauncherTest, CancellingTileGapsLeaveTheLauncherAliveAndFullyPainted) {
    const std::string folder = InstallFolder();
    ASSERT_TRUE(Install(folder));
    ASSERT_EQ(::FindWindowA(kLauncherClass, nullptr), nullptr) << "a launcher is already up";
    UniqueKernelHandle launcher = Start(folder);
    ASSERT_TRUE(launcher);

    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i) {
        window = ::FindWindowA(kLauncherClass, nullptr);
        ::Sleep(50);
    }
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 100 && !AllPainted(window); ++i)
        ::Sleep(100);

    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0)
        << "the window answers";
    EXPECT_EQ(::WaitForSingleObject(launcher.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the launcher still runs";
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.what);
        EXPECT_EQ(PixelAt(window, sample.at), sample.color);
    }

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(launcher.get(), 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(launcher.get(), 1);
}

}  // namespace
