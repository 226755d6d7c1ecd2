// Runs the real Launcher.exe from a scratch installation whose only skin is
// Res\Launcher\Launcher.pkg, as a debugger would, so that the program's
// diagnostic output can be read back.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <regex>
#include <thread>

#include "launcher_settings.h"
#include "tests/ui/package/PackageFixture.h"
#include "ui/core/WindowManager.h"
#include "ui/package/PlainPackage.h"
#include "ui/package/ResourceLoader.h"

namespace {

using namespace package_test;

const std::string kBuiltPackageDir = std::string(LAUNCHER_BIN_DIR) + "\\Res\\Launcher\\";

class DebuggedLauncher {
public:
    explicit DebuggedLauncher(const std::string& installDir)
        : m_thread([this, installDir] { Debug(installDir); }) {}
    ~DebuggedLauncher() {
        if (const HWND window = ::FindWindowA("VuZerizovo", nullptr)) {
            ::PostMessageA(window, WM_CLOSE, 0, 0);
        }
        for (int i = 0; i < 200 && !m_exited; ++i)
            ::Sleep(50);
        if (!m_exited && m_process)
            ::TerminateProcess(m_process, 1);
        m_thread.join();
    }

    HWND WaitForWindow() const {
        for (int i = 0; i < 300 && !m_exited; ++i, ::Sleep(50)) {
            if (const HWND window = ::FindWindowA("VuZerizovo", nullptr))
                return window;
        }
        return nullptr;
    }
    bool Exited() const { return m_exited; }
    std::string Output() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_output;
    }

private:
    // Debug events reach only the thread that started the process.
    void Debug(const std::string& installDir) {
        std::string command = "\"" + installDir + "Launcher.exe\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                              DEBUG_ONLY_THIS_PROCESS, nullptr, installDir.c_str(), &startup,
                              &info)) {
            m_exited = true;
            return;
        }
        m_process = info.hProcess;
        DEBUG_EVENT event = {};
        while (::WaitForDebugEvent(&event, INFINITE)) {
            DWORD status = DBG_CONTINUE;
            if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
                Collect(event.u.DebugString);
            } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                       event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
                ::CloseHandle(event.u.CreateProcessInfo.hFile);
            } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
                ::CloseHandle(event.u.LoadDll.hFile);
            }
            const bool last = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
            if (last)
                break;
        }
        m_exited = true;
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }

    void Collect(const OUTPUT_DEBUG_STRING_INFO& text) {
        if (text.fUnicode)
            return;
        std::string bytes(text.nDebugStringLength, '\0');
        SIZE_T read = 0;
        ::ReadProcessMemory(m_process, text.lpDebugStringData, bytes.data(), bytes.size(), &read);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_output += bytes.substr(0, bytes.find('\0')) + "\n";
    }

    std::atomic<HANDLE> m_process{nullptr};
    std::atomic<bool> m_exited{false};
    std::mutex m_mutex;
    std::string m_output;
    std::thread m_thread;
};

SIZE ClientSize(HWND window) {
    RECT rect = {};
    ::GetClientRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

class LauncherFromPackage : public ::testing::Test {
protected:
    void SetUp() override {
        install = dir.Folder();
        fs::create_directories(dir.File("Res/Launcher"));
        ASSERT_TRUE(::CopyFileA((std::string(LAUNCHER_BIN_DIR) + "\\Launcher.exe").c_str(),
                                (install + "Launcher.exe").c_str(), FALSE));
        // The built package holds the skin's own size for the window.
        std::string markup;
        std::string error;
        ASSERT_TRUE(
            SkinUI::LoadMarkupBytes({kBuiltPackageDir, "Launcher.pkg", settings::kPackagePassword},
                                    "Launcher.xml", markup, error))
            << error;
        std::smatch size;
        ASSERT_TRUE(
            std::regex_search(markup, size, std::regex("<Window[^>]*size=\"(\\d+),(\\d+)\"")));
        skinSize = {std::stol(size[1]), std::stol(size[2])};
    }

    ScratchDir dir;
    std::string install;
    SIZE skinSize = {};
};

TEST_F(LauncherFromPackage, BuildsItsWindowFromThePackageOnly) {
    ASSERT_TRUE(::CopyFileA((kBuiltPackageDir + "Launcher.pkg").c_str(),
                            dir.File("Res/Launcher/Launcher.pkg").c_str(), FALSE));
    DebuggedLauncher launcher(install);
    const HWND window = launcher.WaitForWindow();
    ASSERT_TRUE(window);
    ::Sleep(500);
    const SIZE size = ClientSize(window);
    EXPECT_EQ(size.cx, skinSize.cx);
    EXPECT_EQ(size.cy, skinSize.cy);
    EXPECT_EQ(launcher.Output().find("Launcher.xml:"), std::string::npos) << launcher.Output();
}

TEST_F(LauncherFromPackage, AWrongPasswordLeavesAnEmptyWindowAndSaysWhy) {
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(LAUNCHER_RES_DIR, members, error)) << error;
    MakePackage(dir.File("Res/Launcher/Launcher.pkg"), "not the launcher's password", members);
    DebuggedLauncher launcher(install);
    const HWND window = launcher.WaitForWindow();
    ASSERT_TRUE(window);
    ::Sleep(1000);
    EXPECT_FALSE(launcher.Exited()) << "the launcher keeps running";
    const SIZE size = ClientSize(window);
    EXPECT_FALSE(size.cx == skinSize.cx && size.cy == skinSize.cy) << "no skin was applied";
    EXPECT_NE(launcher.Output().find("Launcher.xml: Could not unzip file"), std::string::npos)
        << launcher.Output();

    // Empty, but one the player sees and can close with its own caption.
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_GE(size.cx, 200);
    EXPECT_GE(size.cy, 100);
    RECT frame = {};
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(::SendMessageA(window, WM_NCHITTEST, 0,
                             MAKELPARAM(frame.left + size.cx / 2, frame.top + 8)),
              HTCAPTION);
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 100 && !launcher.Exited(); ++i)
        ::Sleep(50);
    EXPECT_TRUE(launcher.Exited()) << "closing the empty window ends the launcher";
}

// What a damaged or hostile package can do to the skin costs the player the
// skin at most, never the launcher.
TEST_F(LauncherFromPackage, ADamagedPackageOrASelfIncludingSkinLeavesTheLauncherAlive) {
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    ASSERT_TRUE(pkgpack::CollectFolder(LAUNCHER_RES_DIR, members, error)) << error;
    for (pkgpack::PackageMember& member : members) {
        if (member.name != "Launcher.xml")
            continue;
        const size_t layout = member.bytes.find("<VerticalLayout");
        ASSERT_NE(layout, std::string::npos);
        const size_t end = member.bytes.find('>', layout);
        member.bytes.insert(end + 1, "<Include source=\"launcher.XML\" count=\"3\"/>");
    }
    const std::string package = dir.File("Res/Launcher/Launcher.pkg");
    MakePackage(package, settings::kPackagePassword, members);
    // Every image claims 4 GiB; the markup is left whole.
    ClaimSizeInDirectory(package, 0xFFFFFFF0u, "Launcher.xml");
    {
        DebuggedLauncher launcher(install);
        const HWND window = launcher.WaitForWindow();
        ASSERT_TRUE(window);
        ::Sleep(1000);
        EXPECT_FALSE(launcher.Exited()) << launcher.Output();
        const SIZE size = ClientSize(window);
        EXPECT_EQ(size.cx, skinSize.cx) << "the skin, without its images, is there";
        EXPECT_EQ(size.cy, skinSize.cy);
        EXPECT_NE(launcher.Output().find("Include cycle refused"), std::string::npos)
            << launcher.Output();
    }
    // With the markup's size damaged too, the window is as for a wrong password.
    ClaimSizeInDirectory(package, 0xFFFFFFF0u);
    DebuggedLauncher launcher(install);
    ASSERT_TRUE(launcher.WaitForWindow());
    ::Sleep(1000);
    EXPECT_FALSE(launcher.Exited());
    EXPECT_NE(launcher.Output().find("Launcher.xml: File too large"), std::string::npos)
        << launcher.Output();
}

TEST(SetResourcePackage, TheSameNameChangesNothingAndOnlyUnprotectedPackagesAreCached) {
    using SkinUI::CWindowManagerUI;
    ScratchDir dir;
    MakePackage(dir.File("Open.pkg"), "", {{"Launcher.xml", "<Window/>"}});
    CWindowManagerUI::SetResourcePath(dir.Folder().c_str());
    CWindowManagerUI::SetResourcePackage("Open.pkg", false, "first");
    CWindowManagerUI::SetResourcePackage("Open.pkg", false, "second");
    EXPECT_EQ(CWindowManagerUI::GetResourcePackagePassword(), "first");
    EXPECT_EQ(SkinUI::CachedPlainPackage(dir.Folder() + "Open.pkg"), nullptr);

    CWindowManagerUI::SetResourcePackage("Open.pkg", true, nullptr);
    EXPECT_EQ(CWindowManagerUI::GetResourcePackagePassword(), "");
    EXPECT_NE(SkinUI::CachedPlainPackage(dir.Folder() + "Open.pkg"), nullptr);
    CWindowManagerUI::SetResourcePackage("Launcher.pkg", false, settings::kPackagePassword);
    EXPECT_EQ(SkinUI::CachedPlainPackage(dir.Folder() + "Open.pkg"), nullptr) << "released";
}

}  // namespace
