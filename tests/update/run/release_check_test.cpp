// Signed releases under Wine against the loopback mirror: what a launcher
// built with keys installs, and every release it refuses. A refused run
// changes no file, keeps the old stamp and release number, names the reason
// in the log and still ends ready for login.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/Handles.h"
#include "tests/update/support/MirrorFixture.h"
#include "tests/update/support/RecordingView.h"
#include "tests/update/support/UpdateRunFixture.h"
#include "update/format/ReleaseSignature.h"
#include "update/place/ReleaseRecord.h"

namespace {

const std::string kNewStamp = "20261208signed000002";

struct KeyPair {
    KeyPair() { MakeReleaseKeyPair(pub, secret); }
    ReleasePublicKey pub{};
    ReleaseSecretKey secret{};
};

class ReleaseCheckTest : public UpdateRunTest {
protected:
    void SetUp() override {
        UpdateRunTest::SetUp();
        for (const char* name :
             {"release.ini", "new.txt", "data.bin.tmp", "Launcher.exe.tmp", "handover.ini"})
            ::DeleteFileA(Local(name).c_str());
        mirror::WriteFile(Local("data.bin"), "old data");
    }

    // Publishes a release of two files (one new, one changed) and signs it.
    void Publish(uint64_t release, const KeyPair& key, const std::string& stamp = kStamp,
                 int64_t expiresIn = 3600) {
        m_files = {{"\\new.txt", "a new file"}, {"\\data.bin", "new data " + stamp}};
        mirror::PublishVersion("2.6.0", stamp);
        mirror::PublishFiles(m_files);
        Sign(release, key, expiresIn);
    }
    void Sign(uint64_t release, const KeyPair& key, int64_t expiresIn = 3600) {
        mirror::SignPublished(m_files, release, key.secret, expiresIn);
    }

    void Run(RecordingView& view) {
        view.engine.Store().m_vReleaseKeys = {m_current.pub, m_next.pub};
        view.RunUpdate(mirror::Url());
    }

    void ExpectInstalled(const std::string& stamp, const std::string& release) {
        EXPECT_EQ(v.shown.state, kReady);
        EXPECT_EQ(LocalText("new.txt"), "a new file");
        EXPECT_EQ(LocalText("data.bin"), "new data " + stamp);
        EXPECT_EQ(LocalText("ver.ini"), stamp);
        EXPECT_EQ(LocalText("release.ini"), release);
    }

    void ExpectRefused(const std::string& reason, const std::string& status,
                       const std::string& release = "") {
        EXPECT_EQ(v.shown.state, status);
        EXPECT_TRUE(v.engine.m_bUpdateFinished);
        EXPECT_FALSE(v.engine.m_bUpdating);
        EXPECT_TRUE(v.shown.login);
        EXPECT_EQ(LocalText("data.bin"), "old data");
        EXPECT_FALSE(mirror::Exists(Local("new.txt")));
        EXPECT_FALSE(mirror::Exists(Local("new.txt.tmp")) || mirror::Exists(Local("data.bin.tmp")));
        EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
        EXPECT_EQ(mirror::Exists(Local("release.ini")) ? LocalText("release.ini") : "", release);
        EXPECT_NE(LocalText("Launcher.log").find("ReleaseRefused: " + reason), std::string::npos)
            << LocalText("Launcher.log");
    }

    KeyPair m_current, m_next;
    std::vector<mirror::File> m_files;
};

TEST_F(ReleaseCheckTest, ReleasesSignedByEitherKeyAreInstalled) {
    Publish(5, m_current);
    Run(v);
    ExpectInstalled(kStamp, "5");

    // The key is rotated: the next release is signed with the second key.
    Publish(6, m_next, kNewStamp);
    RecordingView next;
    Run(next);
    EXPECT_EQ(next.shown.state, kReady);
    EXPECT_EQ(LocalText("data.bin"), "new data " + kNewStamp);
    EXPECT_EQ(LocalText("release.ini"), "6");
}

TEST_F(ReleaseCheckTest, ChangedFileListIsRefused) {
    Publish(5, m_current);
    // The same names, one file changed at the same size and its digest
    // listed: only the signature stands in the way.
    m_files[1].bytes = "new data " + std::string(kStamp.size(), 'X');
    mirror::PublishFiles(m_files);
    Run(v);
    ExpectRefused("hash mismatch", "更新被拒绝：文件与签名不符");
}

TEST_F(ReleaseCheckTest, ChangedFileWithTheListLeftAloneIsRefused) {
    Publish(5, m_current);
    mirror::WriteFile(mirror::Path("plaza\\data.bin"), "new data " + std::string(20, 'Y'));
    Run(v);
    // \new.txt came first and passed, but nothing is put in place.
    ExpectRefused("hash mismatch", "更新被拒绝：文件与签名不符");
    EXPECT_EQ(v.shown.info, "下载失败：\\data.bin文件校验失败！");
}

TEST_F(ReleaseCheckTest, ForeignKeyOrNoSignatureIsRefused) {
    Publish(5, KeyPair());
    Run(v);
    ExpectRefused("signature", "更新被拒绝：发布签名无效");

    ::DeleteFileA(mirror::Path(kReleaseSigName).c_str());
    RecordingView next;
    Run(next);
    EXPECT_EQ(next.shown.state, "更新被拒绝：发布签名无效");
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

TEST_F(ReleaseCheckTest, ExpiredReleaseIsRefusedEvenWhenCurrent) {
    Publish(5, m_current, kStamp, -60);
    Run(v);
    ExpectRefused("expired", "更新被拒绝：发布已过期");

    // A mirror frozen on the installed release is noticed too.
    mirror::WriteFile(Local("ver.ini"), kStamp);
    RecordingView next;
    Run(next);
    EXPECT_EQ(next.shown.state, "更新被拒绝：发布已过期");
}

TEST_F(ReleaseCheckTest, OlderReleaseAfterANewerOneIsRefused) {
    Publish(10, m_current);
    Run(v);
    ExpectInstalled(kStamp, "10");

    mirror::WriteFile(Local("ver.ini"), kOldStamp);
    mirror::WriteFile(Local("data.bin"), "old data");
    ::DeleteFileA(Local("new.txt").c_str());
    ::DeleteFileA(Local("Launcher.log").c_str());
    Publish(9, m_current, kNewStamp);
    RecordingView next;
    Run(next);
    EXPECT_EQ(next.shown.state, "更新被拒绝：版本回退");
    EXPECT_EQ(LocalText("data.bin"), "old data");
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    EXPECT_EQ(LocalText("release.ini"), "10");
    EXPECT_NE(LocalText("Launcher.log").find("ReleaseRefused: rolled back"), std::string::npos);
}

TEST_F(ReleaseCheckTest, DamagedReleaseRecordRefusesEverySignedRelease) {
    // Read as 0, any of these would let an older release back in. Blanks
    // around the number are an editor's, and the number still counts.
    const char kDamaged[] = "更新被拒绝：release.ini无法读取或已损坏";
    const std::vector<std::pair<std::string, std::string>> records = {
        {"", kDamaged},
        {"garbage", kDamaged},
        {"12 garbage", kDamaged},
        {"-1", kDamaged},
        {"1234567890123456789", kDamaged},
        {std::string(100, '1'), kDamaged},
        {" 7\r\n", "更新被拒绝：版本回退"},
    };
    Publish(5, m_current);
    for (const auto& [record, status] : records) {
        SCOPED_TRACE(record);
        ::DeleteFileA(Local("Launcher.log").c_str());
        mirror::WriteFile(Local("release.ini"), record);
        RecordingView run;
        Run(run);
        EXPECT_EQ(run.shown.state, status);
        EXPECT_TRUE(run.shown.login);
        EXPECT_EQ(LocalText("data.bin"), "old data");
        EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
        EXPECT_EQ(LocalText("release.ini"), record);
    }
    EXPECT_NE(LocalText("Launcher.log").find("ReleaseRefused: rolled back"), std::string::npos);

    // A record that cannot be opened at all names its path in the log.
    ::DeleteFileA(Local("release.ini").c_str());
    ASSERT_TRUE(::CreateDirectoryA(Local("release.ini").c_str(), nullptr));
    ::DeleteFileA(Local("Launcher.log").c_str());
    RecordingView unopened;
    Run(unopened);
    ::RemoveDirectoryA(Local("release.ini").c_str());
    EXPECT_EQ(unopened.shown.state, kDamaged);
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    EXPECT_EQ(LocalText("Launcher.log"),
              "ReleaseRefused: release.ini unreadable " + Local("release.ini") + "\r\n");

    // Without the file the installation is taken as fresh.
    Run(v);
    ExpectInstalled(kStamp, "5");
}

TEST_F(ReleaseCheckTest, ReleaseRecordHeldForAMomentIsWaitedFor) {
    Publish(5, m_current);
    mirror::WriteFile(Local("release.ini"), "4");
    // A scanner that opens the file without sharing it, for a moment.
    Base::UniqueKernelHandle scanner(::CreateFileA(Local("release.ini").c_str(), GENERIC_READ, 0,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(scanner);
    std::thread release([&scanner] {
        ::Sleep(1000);
        scanner.reset();
    });
    Run(v);
    release.join();
    ExpectInstalled(kStamp, "5");
}

TEST_F(ReleaseCheckTest, ReleaseNumberThatCannotBeSavedIsReportedAndSavedNextTime) {
    Publish(5, m_current);
    // A folder where the temporary file goes makes the save fail.
    ASSERT_TRUE(::CreateDirectoryA(Local("release.ini.tmp").c_str(), nullptr));
    Run(v);
    // The files are in place; only the warning replaces the usual prompt.
    EXPECT_EQ(v.shown.state, "release.ini保存失败！");
    EXPECT_TRUE(v.shown.login);
    EXPECT_EQ(LocalText("data.bin"), "new data " + kStamp);
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    EXPECT_FALSE(mirror::Exists(Local("release.ini")));
    EXPECT_EQ(LocalText("Launcher.log").find("ReleaseSaveFailed:"), 0u)
        << LocalText("Launcher.log");

    ::RemoveDirectoryA(Local("release.ini.tmp").c_str());
    RecordingView next;
    Run(next);
    EXPECT_EQ(next.shown.state, kReady);
    EXPECT_EQ(LocalText("release.ini"), "5");
}

// Under Wine even root cannot make a file in /sys, as a player cannot in a
// folder without write access. The create fails with access denied; the
// removal of the .tmp that was never made would say "not found" instead.
TEST(ReleaseRecord, AFailedSaveKeepsTheErrorOfTheStepThatFailed) {
    EXPECT_FALSE(SaveHighestRelease("Z:\\sys\\", 5));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// A new launcher that passed every check waits as Launcher.exe.tmp through a
// pass that fails later, so the next start hands it over without fetching it
// again. A refused release leaves nothing of itself, the launcher included.
TEST_F(ReleaseCheckTest, ACheckedNewLauncherOutlivesAFailedPassButNotARefusedOne) {
    mirror::WriteFile(Local("Launcher.exe"), "old launcher");
    m_files = {{"\\Launcher.exe", "new launcher"},
               {"\\new.txt", "a new file"},
               {"\\data.bin", "new data"}};
    mirror::PublishVersion("2.6.0", kStamp);
    mirror::PublishFiles(m_files);
    Sign(5, m_current);
    // data.bin, listed after the launcher, changed after the signing.
    mirror::WriteFile(mirror::Path("plaza\\data.bin"), "new DATA");
    Run(v);
    EXPECT_EQ(v.shown.state, "更新被拒绝：文件与签名不符");
    EXPECT_FALSE(mirror::Exists(Local("Launcher.exe.tmp")));

    mirror::WriteFile(mirror::Path("plaza\\data.bin"), "new data");
    mirror::SetFault("plaza/data.bin", "404");
    RecordingView failed;
    Run(failed);
    EXPECT_EQ(failed.shown.info, "下载失败：\\data.bin服务器错误404！");
    EXPECT_EQ(LocalText("Launcher.exe.tmp"), "new launcher");

    mirror::ClearFaults();
    RecordingView next;
    Run(next);
    EXPECT_TRUE(next.shown.quit) << "the new launcher was handed over";
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/Launcher.exe"), 0u);
    EXPECT_EQ(LocalText("Launcher.exe"), "old launcher");
    ::DeleteFileA(Local("Launcher.exe").c_str());
}

TEST_F(ReleaseCheckTest, TextsOverTheirCapsAreRefused) {
    m_files = {{"\\new.txt", "a new file"}, {"\\data.bin", "new data"}};
    mirror::PublishVersion(std::string(70 * 1024, 'v'), kStamp);
    mirror::PublishFiles(m_files);
    Sign(5, m_current);
    Run(v);
    ExpectRefused("too large", "更新被拒绝：文件过大");

    Publish(5, m_current);
    mirror::WriteFile(mirror::Path("file.html"), std::string(33 * 1024 * 1024, 'f'));
    RecordingView next;
    ::DeleteFileA(Local("Launcher.log").c_str());
    Run(next);
    EXPECT_EQ(next.shown.state, "更新被拒绝：文件过大");
    EXPECT_NE(LocalText("Launcher.log").find("ReleaseRefused: too large"), std::string::npos);
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

TEST_F(ReleaseCheckTest, BodyLongerThanListedIsCutOff) {
    Publish(5, m_current);
    mirror::WriteFile(mirror::Path("plaza\\data.bin"),
                      "new data " + kStamp + std::string(1 << 20, 'z'));
    Run(v);
    ExpectRefused("too large", "更新被拒绝：文件过大");
    // Asked once more past the caches; neither body was read.
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/data.bin"), 2u);
    EXPECT_EQ(v.shown.info, "下载失败：\\data.bin文件过大！");
}

TEST_F(ReleaseCheckTest, StaleCopyOfAnotherLengthIsFetchedAgainPastTheCaches) {
    Publish(5, m_current);
    mirror::SetFault("plaza/data.bin", "stale", 1);
    Run(v);
    ExpectInstalled(kStamp, "5");
    const std::vector<std::string> asked = mirror::RequestsFor("/vedu/plaza/data.bin");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[1].find("no-cache"), std::string::npos) << "the retry must bypass caches";
}

}  // namespace
