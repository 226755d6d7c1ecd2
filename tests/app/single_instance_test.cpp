// Starts the real Launcher.exe and the stand-in Lobby.exe from a scratch
// folder and checks who ends up with a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "base/Handles.h"

namespace {

using Base::UniqueKernelHandle;

constexpr char kLauncherClass[] = "VuZerizovo";
constexpr char kLobbyClass[] = "ReRodaDeviz";

std::string g_installDir;

bool CopyProgram(const char* name) {
    const std::string from = std::string(LAUNCHER_BIN_DIR) + "\\" + name;
    const std::string to = g_installDir + name;
    return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

UniqueKernelHandle Start(const char* program, const std::string& args = "") {
    std::string cmd = "\"" + g_installDir + program + "\"";
    if (!args.empty())
        cmd += " " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                          g_installDir.c_str(), &si, &pi)) {
        return UniqueKernelHandle();
    }
    ::CloseHandle(pi.hThread);
    return UniqueKernelHandle(pi.hProcess);
}

HWND WaitForWindow(const char* cls, DWORD timeoutMs = 15000) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (const HWND hwnd = ::FindWindowA(cls, nullptr))
            return hwnd;
        ::Sleep(50);
    }
    return nullptr;
}

bool WaitForExit(const UniqueKernelHandle& process, DWORD timeoutMs) {
    return ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

struct ClassCounter {
    const char* cls;
    int count;
};

BOOL CALLBACK CountClass(HWND hwnd, LPARAM data) {
    auto* counter = reinterpret_cast<ClassCounter*>(data);
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (std::string(name) == counter->cls)
        ++counter->count;
    return TRUE;
}

int CountWindows(const char* cls) {
    ClassCounter counter{cls, 0};
    ::EnumWindows(CountClass, reinterpret_cast<LPARAM>(&counter));
    return counter.count;
}

// Closes whatever window of the class is up and waits for its process.
void CloseAndWait(const char* cls, const UniqueKernelHandle& process) {
    if (const HWND hwnd = ::FindWindowA(cls, nullptr))
        ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (!WaitForExit(process, 10000))
        ::TerminateProcess(process.get(), 1);
}

class SingleInstance : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        g_installDir = std::string(temp) + "launcher-single-instance\\";
        ::CreateDirectoryA(g_installDir.c_str(), nullptr);
        ASSERT_TRUE(CopyProgram("Launcher.exe"));
        ASSERT_TRUE(CopyProgram("Lobby.exe"));
    }
    void SetUp() override {
        // Tests run one after another in one Wine session: give a program
        // that an earlier test left closing the time to go away.
        ASSERT_TRUE(WaitUntilGone(kLauncherClass)) << "a launcher is still up";
        ASSERT_TRUE(WaitUntilGone(kLobbyClass)) << "a lobby is still up";
    }

    static bool WaitUntilGone(const char* cls) {
        for (int i = 0; i < 100 && ::FindWindowA(cls, nullptr); ++i) {
            if (i == 20)
                ::PostMessageA(::FindWindowA(cls, nullptr), WM_CLOSE, 0, 0);
            ::Sleep(100);
        }
        return ::FindWindowA(cls, nullptr) == nullptr;
    }
};

TEST_F(SingleInstance, SecondLauncherRestoresTheFirstAndExits) {
    UniqueKernelHandle first = Start("Launcher.exe");
    const HWND window = WaitForWindow(kLauncherClass);
    ASSERT_NE(window, nullptr);

    char title[32] = {};
    ::GetWindowTextA(window, title, sizeof(title));
    EXPECT_STREQ(title, "Vedu");

    ::ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window));

    const DWORD started = ::GetTickCount();
    UniqueKernelHandle second = Start("Launcher.exe");
    EXPECT_TRUE(WaitForExit(second, 5000)) << "the second launcher must end by itself";
    std::printf("second launcher ended %lu ms after its start\n", ::GetTickCount() - started);
    EXPECT_FALSE(::IsIconic(window)) << "the first window is restored";
    EXPECT_EQ(CountWindows(kLauncherClass), 1);
    CloseAndWait(kLauncherClass, first);
}

TEST_F(SingleInstance, RunningLobbyEndsTheLauncherWithoutAWindow) {
    UniqueKernelHandle lobby = Start("Lobby.exe", "-exitAfter=20000");
    ASSERT_NE(WaitForWindow(kLobbyClass), nullptr);

    UniqueKernelHandle launcher = Start("Launcher.exe");
    EXPECT_TRUE(WaitForExit(launcher, 8000));
    EXPECT_EQ(CountWindows(kLauncherClass), 0);
    CloseAndWait(kLobbyClass, lobby);
}

TEST_F(SingleInstance, LobbyThatClosesWithinTheGracePeriodLetsTheLauncherStart) {
    // A lobby window of our own that goes away shortly after the launcher
    // starts, the way a lobby looks while it is closing.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kLobbyClass;
    ::RegisterClassA(&wc);
    const HWND lobby = ::CreateWindowExA(0, kLobbyClass, "closing lobby", WS_POPUP, 0, 0, 10, 10,
                                         nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(lobby, nullptr);

    UniqueKernelHandle launcher = Start("Launcher.exe");
    ::Sleep(400);
    ::DestroyWindow(lobby);
    EXPECT_NE(WaitForWindow(kLauncherClass), nullptr);
    CloseAndWait(kLauncherClass, launcher);
}

TEST_F(SingleInstance, AbandonedMutexCountsAsTaken) {
    UniqueKernelHandle mutex;
    // The owning thread ends without releasing, which abandons the mutex.
    std::thread owner([&mutex] { mutex.reset(::CreateMutexA(nullptr, TRUE, kLauncherClass)); });
    owner.join();
    ASSERT_TRUE(mutex);

    UniqueKernelHandle launcher = Start("Launcher.exe");
    EXPECT_NE(WaitForWindow(kLauncherClass), nullptr);
    CloseAndWait(kLauncherClass, launcher);
}

TEST_F(SingleInstance, HeldMutexWithoutAWindowEndsTheLauncherSilently) {
    UniqueKernelHandle mutex(::CreateMutexA(nullptr, TRUE, kLauncherClass));
    ASSERT_TRUE(mutex);

    UniqueKernelHandle launcher = Start("Launcher.exe");
    EXPECT_TRUE(WaitForExit(launcher, 8000));
    EXPECT_EQ(CountWindows(kLauncherClass), 0);
    ::ReleaseMutex(mutex.get());
}

}  // namespace
