// A signed release installs whole or not at all. Killed at each step of its
// moves (a child process runs the update and is killed as Windows kills a
// program), held up by a locked file or stopped, the launcher leaves an
// installation of one release, and the next complete run ends on the new
// one with nothing left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "identity/Md5.h"
#include "tests/update/support/MirrorFixture.h"
#include "tests/update/support/RecordingView.h"
#include "update/format/ReleaseSignature.h"
#include "update/run/UpdateRun.h"

namespace {

const std::string kOldStamp = "20261101stamp0000000";
const std::string kNewStamp = "20261207install00001";
const char kReady[] = "请输入账号和密码：";
const char kKeyVariable[] = "SIGNED_INSTALL_KEY";
constexpr int kFiles = 6;

std::string Local(const std::string& name) {
    return mirror::InstallDir() + name;
}
std::string Name(int i) {
    return "f" + std::to_string(i) + ".dat";
}
std::string Bytes(int i, const std::string& release) {
    return release + " " + std::to_string(i) + std::string(1000 * (i + 1), release[0]);
}

// As a virus scanner or the running game holds a file: no FILE_SHARE_DELETE.
Base::UniqueKernelHandle HoldOpen(const std::string& path) {
    return Base::UniqueKernelHandle(::CreateFileA(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The pass moves a few files at a time: holding every file from `first` on
// makes all of its movers wait, with exactly the files before it moved.
std::vector<Base::UniqueKernelHandle> HoldFrom(int first) {
    std::vector<Base::UniqueKernelHandle> held;
    for (int i = first; i < kFiles; ++i)
        held.push_back(HoldOpen(Local(Name(i))));
    return held;
}

template <typename F>
bool WaitFor(F done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs)
        ::Sleep(5);
    return done();
}

class SignedInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        mirror::ClearFaults();
        for (const char* name : {"Launcher.log", "release.ini", "install.journal"})
            ::DeleteFileA(Local(name).c_str());
        std::vector<mirror::File> files;
        for (int i = 0; i < kFiles; ++i) {
            ::DeleteFileA(Local(Name(i) + ".tmp").c_str());
            ::DeleteFileA(Local(Name(i) + ".bak").c_str());
            mirror::WriteFile(Local(Name(i)), Bytes(i, "old"));
            files.push_back({"\\" + Name(i), Bytes(i, "new")});
        }
        mirror::WriteFile(Local("ver.ini"), kOldStamp);
        mirror::PublishVersion("2.7.0", kNewStamp);
        mirror::PublishFiles(files);
        MakeReleaseKeyPair(m_public, m_secret);
        mirror::SignPublished(files, 7, m_secret);
    }

    void Run(RecordingView& view, const std::string& url = mirror::Url()) {
        view.engine.Store().m_vReleaseKeys = {m_public};
        view.RunUpdate(url);
    }

    // "old" or "new" when every file is that release's, by MD5; else which
    // file is which.
    static std::string InstalledRelease() {
        std::string olds, news, others;
        for (int i = 0; i < kFiles; ++i) {
            const std::string md5 = Md5OfFile(Local(Name(i)));
            std::string& which = md5 == Md5OfText(Bytes(i, "old"))   ? olds
                                 : md5 == Md5OfText(Bytes(i, "new")) ? news
                                                                     : others;
            which += Name(i) + " ";
        }
        if (news.empty() && others.empty())
            return "old";
        if (olds.empty() && others.empty())
            return "new";
        return "old: " + olds + "new: " + news + "neither: " + others;
    }

    static std::string Leftovers() {
        std::string left;
        for (int i = 0; i < kFiles; ++i) {
            for (const char* suffix : {".tmp", ".bak"}) {
                if (mirror::Exists(Local(Name(i) + suffix)))
                    left += Name(i) + suffix + " ";
            }
        }
        return left + (mirror::Exists(Local("install.journal")) ? "install.journal" : "");
    }

    // Starts the update in a child process and kills it once killNow()
    // holds, as a player's task manager or a power cut ends a program.
    void KillUpdateWhen(const std::function<bool()>& killNow) {
        ::SetEnvironmentVariableA(kKeyVariable, ToHex(m_public).c_str());
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string command = std::string("\"") + exe +
                              "\" --gtest_also_run_disabled_tests --gtest_brief=1 "
                              "--gtest_filter=SignedInstallChild.DISABLED_Update";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(::CreateProcessA(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
        const Base::UniqueKernelHandle child(process.hProcess);
        ::CloseHandle(process.hThread);
        const bool reached = WaitFor(killNow, 60000);
        ::TerminateProcess(child.get(), 9);
        ::WaitForSingleObject(child.get(), INFINITE);
        ASSERT_TRUE(reached) << "the update never reached the step";
    }

    // After the kill: a start whose mirror is down only recovers; then a
    // complete run.
    void ExpectOneReleaseThenTheNew(const char* recovered) {
        RecordingView restart;
        Run(restart, "http://127.0.0.1:1/vedu/");
        EXPECT_NE(mirror::ReadFile(Local("Launcher.log")).find(recovered), std::string::npos)
            << mirror::ReadFile(Local("Launcher.log"));
        const std::string release = InstalledRelease();
        EXPECT_TRUE(release == "old" || release == "new") << release;
        EXPECT_FALSE(mirror::Exists(Local("install.journal")));

        RecordingView next;
        RunToTheNewRelease(next);
    }

    void RunToTheNewRelease(RecordingView& view) {
        Run(view);
        EXPECT_EQ(view.shown.state, kReady);
        EXPECT_EQ(InstalledRelease(), "new");
        EXPECT_EQ(mirror::ReadFile(Local("ver.ini")), kNewStamp);
        EXPECT_EQ(Leftovers(), "");
    }

    // The new file took the place of the old one, which waits as its backup.
    static bool Moved(int i) {
        return mirror::Exists(Local(Name(i) + ".bak")) && !mirror::Exists(Local(Name(i) + ".tmp"));
    }

    // Every file before `end` has moved. The pass moves a few at a time, so
    // the last of them moving says nothing of the others.
    static bool MovedBefore(int end) {
        for (int i = 0; i < end; ++i) {
            if (!Moved(i))
                return false;
        }
        return true;
    }

    ReleasePublicKey m_public{};
    ReleaseSecretKey m_secret{};
};

// Run by KillUpdateWhen in a process of its own.
TEST(SignedInstallChild, DISABLED_Update) {
    char key[128] = {};
    ::GetEnvironmentVariableA(kKeyVariable, key, sizeof(key));
    const auto parsed = FromHex<32>(key);
    ASSERT_TRUE(parsed);
    RecordingView view;
    view.engine.Store().m_vReleaseKeys = {*parsed};
    view.RunUpdate(mirror::Url(), {}, 120000);
}

TEST_F(SignedInstallTest, KilledBeforeTheFirstMoveTheNextStartFinishesThePass) {
    // Every file is held, so the pass waits with its journal written and
    // nothing moved.
    std::vector<Base::UniqueKernelHandle> held = HoldFrom(0);
    KillUpdateWhen([] { return mirror::Exists(Local("install.journal")); });
    held.clear();
    EXPECT_EQ(InstalledRelease(), "old");
    ExpectOneReleaseThenTheNew("InstallFinished: 6 files");
}

TEST_F(SignedInstallTest, KilledAfterOneMoveOrHalfOfThemTheNextStartFinishesThePass) {
    for (const int moved : {1, kFiles / 2}) {
        SCOPED_TRACE(moved);
        SetUp();
        std::vector<Base::UniqueKernelHandle> held = HoldFrom(moved);
        KillUpdateWhen([moved] { return MovedBefore(moved); });
        held.clear();
        EXPECT_NE(InstalledRelease().find("new: " + Name(0)), std::string::npos)
            << "the kill came in the middle of the moves";
        ExpectOneReleaseThenTheNew("InstallFinished: 6 files");
    }
}

TEST_F(SignedInstallTest, KilledAfterEveryMoveBeforeOrAfterTheStampTheNextStartFinishesIt) {
    for (const bool stampSaved : {false, true}) {
        SCOPED_TRACE(stampSaved);
        SetUp();
        // The stamp waits for ver.ini, which another program holds.
        Base::UniqueKernelHandle held = HoldOpen(Local("ver.ini"));
        KillUpdateWhen([] { return MovedBefore(kFiles); });
        held.reset();
        EXPECT_EQ(InstalledRelease(), "new");
        EXPECT_TRUE(mirror::Exists(Local("install.journal")));
        // Killed just after the stamp: the backups and journal are still
        // there.
        if (stampSaved)
            mirror::WriteFile(Local("ver.ini"), kNewStamp);
        ExpectOneReleaseThenTheNew("InstallFinished: 6 files");
    }
}

TEST_F(SignedInstallTest, KilledWithANewFileDamagedTheNextStartPutsTheOldReleaseBack) {
    std::vector<Base::UniqueKernelHandle> held = HoldFrom(kFiles / 2);
    KillUpdateWhen([] { return MovedBefore(kFiles / 2); });
    held.clear();
    // A power cut that lost the last bytes of a checked file.
    mirror::WriteFile(Local(Name(kFiles - 1) + ".tmp"), "torn");
    ExpectOneReleaseThenTheNew("InstallRolledBack: 6 files");
}

TEST_F(SignedInstallTest, AFileLockedPastItsWaitPutsEveryMovedFileBack) {
    Base::UniqueKernelHandle held = HoldOpen(Local(Name(kFiles / 2)));
    RecordingView v;
    Run(v);
    EXPECT_EQ(v.shown.info,
              "下载失败：\\" + Name(kFiles / 2) + "文件正被其他程序使用，无法复盖！请关闭后重试。");
    EXPECT_EQ(v.shown.state, kReady);
    EXPECT_EQ(InstalledRelease(), "old");
    EXPECT_EQ(mirror::ReadFile(Local("ver.ini")), kOldStamp);
    EXPECT_FALSE(mirror::Exists(Local("release.ini")));

    // Once the file is free, the next run moves the checked files it kept
    // without fetching them again.
    held.reset();
    mirror::ClearFaults();
    RecordingView next;
    RunToTheNewRelease(next);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(mirror::CountRequests("/vedu/plaza/" + Name(i)), 0u) << Name(i);
}

TEST_F(SignedInstallTest, AStopDuringTheMovesPutsEveryMovedFileBack) {
    Base::UniqueKernelHandle held = HoldOpen(Local(Name(kFiles / 2)));
    RecordingView v;
    v.engine.Store().m_vReleaseKeys = {m_public};
    v.Start(mirror::Url());
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), v.engine.CurrentRun()->m_hThread.get(),
                      ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    const Base::UniqueKernelHandle thread(copy);
    ASSERT_TRUE(v.PumpUntil([] { return MovedBefore(kFiles / 2); }, 60000));
    v.engine.Stop();
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(InstalledRelease(), "old");
    EXPECT_EQ(mirror::ReadFile(Local("ver.ini")), kOldStamp);
    EXPECT_FALSE(mirror::Exists(Local("install.journal")));
}

}  // namespace
