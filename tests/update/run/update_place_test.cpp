// Putting downloads in place where the world is less kind than a test
// folder: a target another program holds open, a volume without room.
#include <windows.h>

#include <thread>

#include "tests/update/support/UpdateRunFixture.h"
#include "identity/Md5.h"
#include "update/place/DiskSpace.h"

namespace {

constexpr char kHeldText[] = "下载失败：\\held.dll文件正被其他程序使用，无法复盖！请关闭后重试。";

// Holds a file open as a virus scanner or a running game does: without
// FILE_SHARE_DELETE, so it cannot be replaced while the handle lives.
Base::UniqueKernelHandle HoldOpen(const std::string& path) {
    return Base::UniqueKernelHandle(::CreateFileA(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class HeldFileTest : public UpdateRunTest {
protected:
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
    std::thread release([this] {
        ::Sleep(3000);
        m_held.reset();
    });
    const DWORD start = ::GetTickCount();
    v.RunUpdate(mirror::Url());
    release.join();
    EXPECT_GE(::GetTickCount() - start, 2900u) << "the move waited for the file";
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
    ASSERT_TRUE(
        v.PumpUntil([&] { return v.shown.info == "\\held.dll下载完毕，正在复盖..."; }, 20000));
    v.Pump(500);
    v.engine.Stop();
    EXPECT_EQ(::WaitForSingleObject(ownThread.get(), 1000), WAIT_OBJECT_0)
        << "the stop must not wait for the lock";
    EXPECT_EQ(LocalText("held.dll"), "old dll");
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

TEST_F(UpdateRunTest, TooLittleRoomDownloadsNothingAndSaysHowMuchIsNeeded) {
    // Listed at 2 TiB: more than any test volume has free.
    const int64_t huge = int64_t{2} << 40;
    mirror::WriteFile(mirror::Path("plaza\\small.txt"), "small");
    mirror::WriteFile(mirror::Path("plaza\\huge.bin"), "huge");
    mirror::WriteFile(mirror::Path("file.html"),
                      EncodeFileList({{"\\small.txt", 5, Md5OfText("small")},
                                      {"\\huge.bin", huge, Md5OfText("huge")}})
                          .value());
    mirror::WriteFile(Local("small.txt"), "old small");
    v.RunUpdate(mirror::Url());
    const std::string prefix = "磁盘空间不足：更新需要2097153 MB，安装目录所在磁盘只剩";
    EXPECT_EQ(v.shown.info.substr(0, prefix.size()), prefix) << v.shown.info;
    EXPECT_NE(v.shown.info.find(" MB。请清理磁盘后重试。"), std::string::npos);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/small.txt"), 0u);
    EXPECT_EQ(LocalText("small.txt"), "old small");
    EXPECT_FALSE(HasTemp("small.txt") || HasTemp("huge.bin"));
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    EXPECT_NE(LocalText("Launcher.log").find("DiskSpace: need "), std::string::npos);
    ExpectReady();
}

TEST_F(UpdateRunTest, TheRoomCheckCountsAWaitingLauncherAsFetched) {
    // A new launcher of 1 MiB waits whole beside the old one: the pass hands
    // it over and fetches nothing of it.
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
    EXPECT_NE(log.find("DiskSpace: need " + std::to_string(huge + kRoomPerFile) + " bytes"),
              std::string::npos)
        << log;
    EXPECT_EQ(LocalText("Launcher.exe.tmp"), launcher);
    ::DeleteFileA(Local("Launcher.exe.tmp").c_str());
    ::DeleteFileA(Local("Launcher.exe").c_str());
}

}  // namespace
