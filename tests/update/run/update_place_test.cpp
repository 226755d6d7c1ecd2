// Putting downloads in place where the world is less kind than a test
// folder: a target another program holds open, a volume without room.
#include <windows.h>

#include <algorithm>

#include "tests/update/support/UpdateRunFixture.h"
#include "identity/Md5.h"
#include "update/place/DiskSpace.h"

namespace {

constexpr char kHeldText[] = "下载失败：\\held.dll文件正被其他程序使用，无法复盖！请关闭后重试。";
constexpr char kReplacing[] = "\\held.dll下载完毕，正在复盖...";

// Holds a file open as a virus scanner or a running game does: without
// FILE_SHARE_DELETE, so it cannot be replaced while the handle lives.
Base::UniqueKernelHandle HoldOpen(const std::string& path) {
    return Base::UniqueKernelHandle(::CreateFileA(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class HeldFileTest : public UpdateRunTest {
protected:
    bool Replacing() const { return std::count(v.infos.begin(), v.infos.end(), kReplacing) > 0; }
    void SetUp() override {
        UpdateRunTest::SetUp();
        mirror::PublishFiles({{"\\first.txt", "first"}, {"\\held.dll", "new dll"}});
        ::DeleteFileA(Local("first.txt").c_str());
        mirror::WriteFile(Local("held.dll"), "old dll");
        m_held = HoldOpen(Local("held.dll"));
        ASSERT_TRUE(m_held);
    }
    Base::UniqueKernelHandle m_held;
};

TEST_F(HeldFileTest, AFileReleasedWithinTheWaitIsReplaced) {
    v.Start(mirror::Url());
    const Base::UniqueKernelHandle thread = CopyThreadHandle(*v.engine.CurrentRun());
    ASSERT_TRUE(v.PumpUntil([&] { return Replacing(); }, 20000));
    // The first moves fail while the file is held; the run waits for it.
    v.Pump(1000);
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the run gave up on the held file at once: " << v.shown.info;
    m_held.reset();
    ASSERT_TRUE(v.PumpUntil([&] { return v.shown.state == kReady; }, 30000));
    EXPECT_EQ(LocalText("held.dll"), "new dll");
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    ExpectReady();
}

TEST_F(HeldFileTest, AFileHeldThroughoutIsNamedKeptAndReplacedByTheNextRun) {
    const DWORD start = ::GetTickCount();
    v.RunUpdate(mirror::Url());
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, 9900u);
    EXPECT_LT(waited, 20000u);
    EXPECT_EQ(v.shown.info, kHeldText);
    EXPECT_EQ(LocalText("held.dll"), "old dll");
    EXPECT_FALSE(HasTemp("held.dll"));
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    EXPECT_NE(LocalText("Launcher.log").find("Locked:\\held.dll"), std::string::npos);
    ExpectReady();

    // Once the program lets go, "again" completes the update.
    m_held.reset();
    RecordingView again;
    again.RunUpdate(mirror::Url());
    EXPECT_EQ(LocalText("held.dll"), "new dll");
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    EXPECT_EQ(again.shown.state, kReady);
}

TEST_F(HeldFileTest, CancelEndsTheWaitForAHeldFile) {
    v.Start(mirror::Url());
    const Base::UniqueKernelHandle ownThread = CopyThreadHandle(*v.engine.CurrentRun());
    ASSERT_TRUE(ownThread);
    ASSERT_TRUE(v.PumpUntil([&] { return Replacing(); }, 20000));
    v.Pump(500);
    v.engine.Stop();
    // A stop that left the wait to run out would end it as a held file.
    ASSERT_TRUE(v.PumpUntil(
        [&] { return ::WaitForSingleObject(ownThread.get(), 0) == WAIT_OBJECT_0; }, 30000));
    EXPECT_EQ(LocalText("Launcher.log").find("Locked:"), std::string::npos)
        << "the stop must end the wait for the lock";
    EXPECT_EQ(LocalText("held.dll"), "old dll");
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

// No wait cures a folder in the file's place (nor, on Windows, a read-only
// target, which Wine run as root replaces): the move fails at once, as a
// move, not as a file another program holds.
TEST_F(UpdateRunTest, AFolderInTheFilesPlaceFailsWithoutTheWait) {
    mirror::PublishFiles({{"\\target.dll", "new dll"}});
    ASSERT_TRUE(::CreateDirectoryA(Local("target.dll").c_str(), nullptr));
    v.RunUpdate(mirror::Url());
    ::RemoveDirectoryA(Local("target.dll").c_str());
    EXPECT_EQ(v.shown.info, "下载失败：\\target.dll复盖文件失败！");
    EXPECT_EQ(LocalText("Launcher.log").find("Locked:"), std::string::npos);
    ExpectReady();
}

// The .tmp is a link to /dev/full, where every write finds the disk full.
// Wine runs the host's ln, but cannot wait for it nor delete the link: the
// name is waited for, and the deleted .tmp is left to small_disk.py.
TEST_F(UpdateRunTest, AWriteThatFindsTheDiskFullSaysSo) {
    mirror::PublishFiles({{"\\full.bin", std::string(100000, 'f')}});
    const std::string link = Local("full.bin.tmp");
    std::string command = "ln -s /dev/full \"" + link.substr(2) + "\"";
    std::replace(command.begin(), command.end(), '\\', '/');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA("Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    WIN32_FIND_DATAA found;
    HANDLE find = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 3000 && find == INVALID_HANDLE_VALUE; ++i, ::Sleep(10))
        find = ::FindFirstFileA(link.c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    ::FindClose(find);

    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.shown.info, "下载失败：\\full.bin磁盘空间不足，未完成的文件已删除！");
    ExpectReady();
}

TEST_F(UpdateRunTest, TooLittleRoomDownloadsNothingAndSaysHowMuchIsNeeded) {
    // Listed at 2 TiB: more than any test volume has free. An interrupted
    // download of it holds 1 MiB already, which is not needed again; each
    // file takes 4 KiB besides.
    const int64_t huge = int64_t{2} << 40;
    mirror::WriteFile(mirror::Path("plaza\\small.txt"), "small");
    mirror::WriteFile(mirror::Path("plaza\\huge.bin"), "huge");
    mirror::WriteFile(mirror::Path("file.html"),
                      EncodeFileList({{"\\small.txt", 5, Md5OfText("small")},
                                      {"\\huge.bin", huge, Md5OfText("huge")}})
                          .value());
    mirror::WriteFile(Local("small.txt"), "old small");
    const std::string partial(1 << 20, 'p');
    mirror::WriteFile(Local("huge.bin.tmp"), partial);
    v.RunUpdate(mirror::Url());
    const std::string prefix = "磁盘空间不足：更新需要2097152 MB，安装目录所在磁盘只剩";
    EXPECT_EQ(v.shown.info.substr(0, prefix.size()), prefix) << v.shown.info;
    EXPECT_NE(v.shown.info.find(" MB。请清理磁盘后重试。"), std::string::npos);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/small.txt"), 0u);
    EXPECT_EQ(LocalText("small.txt"), "old small");
    EXPECT_FALSE(HasTemp("small.txt"));
    EXPECT_TRUE(LocalText("huge.bin.tmp") == partial);
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    const int64_t need = huge - (1 << 20) + 5 + 2 * 4096;
    EXPECT_NE(LocalText("Launcher.log").find("DiskSpace: need " + std::to_string(need) + " bytes"),
              std::string::npos)
        << LocalText("Launcher.log");
    ExpectReady();
    ::DeleteFileA(Local("huge.bin.tmp").c_str());
}

TEST_F(UpdateRunTest, TheRoomCheckCountsAWaitingLauncherAsFetched) {
    // A new launcher of 1 MiB waits whole beside the old one: the pass hands
    // it over and fetches nothing of it, so it needs only a file's margin.
    const int64_t huge = int64_t{2} << 40;
    const std::string launcher(1 << 20, 'L');
    mirror::WriteFile(mirror::Path("plaza\\huge.bin"), "huge");
    mirror::WriteFile(mirror::Path("file.html"),
                      EncodeFileList({{"\\huge.bin", huge, Md5OfText("huge")},
                                      {"\\Launcher.exe", 1 << 20, Md5OfText(launcher)}})
                          .value());
    mirror::WriteFile(Local("Launcher.exe"), "old launcher");
    mirror::WriteFile(Local("Launcher.exe.tmp"), launcher);
    v.RunUpdate(mirror::Url());
    const std::string log = LocalText("Launcher.log");
    EXPECT_NE(log.find("DiskSpace: need " + std::to_string(huge + 2 * kRoomPerFile) + " bytes"),
              std::string::npos)
        << log;
    EXPECT_EQ(LocalText("Launcher.exe.tmp"), launcher);
    ::DeleteFileA(Local("Launcher.exe.tmp").c_str());
    ::DeleteFileA(Local("Launcher.exe").c_str());
}

}  // namespace
