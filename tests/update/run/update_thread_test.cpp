// Whole update runs on the launcher window against the loopback mirror: the
// texts in their order, the end states, and the faults a mirror can have.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/update/support/UpdateRunFixture.h"
#include "identity/Md5.h"
#include "update/place/HandOverRecord.h"

namespace {

TEST_F(UpdateRunTest, CurrentInstallationIsReadyAfterOneRequest) {
    mirror::WriteFile(Local("ver.ini"), kStamp);
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.states, (Texts{kUpdating, kChecking, kReady}));
    EXPECT_EQ(v.shown.version, "Vedu　版本号：2.5.0");
    ExpectReady();
    EXPECT_EQ(mirror::Requests().size(), 1u);
}

TEST_F(UpdateRunTest, AutoLogonIsArmedAndKeepsTheButtonsDisabled) {
    mirror::WriteFile(Local("ver.ini"), kStamp);
    v.wantsAutoLogon = true;
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.shown.state, kReady);
    EXPECT_TRUE(v.engine.m_bUpdateFinished);
    EXPECT_FALSE(v.shown.login || v.shown.repair);
    EXPECT_TRUE(v.shown.autoLogonArmed);
}

TEST_F(UpdateRunTest, OutOfDateInstallationIsBroughtUpToDate) {
    mirror::PublishFiles({{"\\same.txt", "same"},
                          {"\\Res\\Skin\\new.png", "png bytes"},
                          {"\\changed.dll", "new dll"},
                          {"\\zero.dat", ""},
                          {"\\sub\\Launcher.exe", "in a sub-folder, an ordinary file"}});
    mirror::WriteFile(Local("same.txt"), "same");
    mirror::WriteFile(Local("changed.dll"), "old dll");
    v.RunUpdate(mirror::Url());

    EXPECT_EQ(v.states, (Texts{kUpdating, kChecking, kChecking, kChecking, kDownloading,
                               kDownloading, kReady}));
    ExpectReady();
    EXPECT_EQ(LocalText("Res\\Skin\\new.png"), "png bytes");
    EXPECT_EQ(LocalText("changed.dll"), "new dll");
    EXPECT_TRUE(mirror::Exists(Local("zero.dat")));
    EXPECT_EQ(LocalText("sub\\Launcher.exe"), "in a sub-folder, an ordinary file");
    EXPECT_FALSE(HasTemp("changed.dll") || HasTemp("zero.dat") || HasTemp("sub\\Launcher.exe"));
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    EXPECT_FALSE(v.engine.m_bReplacePlazaUpdate);
    EXPECT_EQ(v.infos.back(), "\\sub\\Launcher.exe下载完毕，正在复盖...");
    // The three most recent names, oldest first.
    EXPECT_EQ(v.shown.recentFiles, (Texts{"\\changed.dll", "\\zero.dat", "\\sub\\Launcher.exe"}));
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/Res/Skin/new.png"), 1u);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/same.txt"), 0u);

    // The stamp now matches: the next start makes one request.
    mirror::ClearFaults();
    RecordingView next;
    next.RunUpdate(mirror::Url());
    EXPECT_EQ(next.states, (Texts{kUpdating, kChecking, kReady}));
    EXPECT_EQ(mirror::Requests().size(), 1u);
}

TEST_F(UpdateRunTest, ForcedCheckWithNothingToDownload) {
    mirror::PublishFiles({{"\\same.txt", "same"}});
    mirror::WriteFile(Local("same.txt"), "same");
    mirror::WriteFile(Local("ver.ini"), kStamp);
    v.engine.ForceCheck();
    v.RunUpdate(mirror::Url());
    ExpectReady();
    EXPECT_EQ(mirror::CountRequests("/vedu/file.html"), 1u);
}

TEST_F(UpdateRunTest, NewLauncherIsHandedOverUntilTheLobbyHasFailedThreeTimes) {
    // Any letter case names the running launcher, as on Windows.
    mirror::PublishFiles({{"\\launcher.EXE", "new launcher"}, {"\\after.txt", "after"}});
    mirror::WriteFile(Local("Launcher.exe"), "old launcher");
    ::DeleteFileA(Local("handover.ini").c_str());
    // The pass fails after the new launcher arrived: nothing is handed over
    // yet, but a login would hand it over.
    mirror::SetFault("plaza/after.txt", "404");
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.shown.info, "下载失败：\\after.txt服务器错误404！");
    EXPECT_TRUE(v.engine.m_bReplacePlazaUpdate);
    EXPECT_FALSE(v.shown.quit);
    EXPECT_EQ(LocalText("Launcher.exe.tmp"), "new launcher");
    EXPECT_FALSE(mirror::Exists(Local("handover.ini")));

    // Each next start hands the waiting file over without fetching it again
    // and counts it. No Lobby.exe here: its start fails, the player is told,
    // and the launcher still quits.
    mirror::ClearFaults();
    for (unsigned attempt = 1; attempt <= kMaxHandOvers; ++attempt) {
        RecordingView again;
        again.RunUpdate(mirror::Url());
        EXPECT_TRUE(again.shown.quit);
        // The window quits: nothing may log in before it is gone.
        EXPECT_FALSE(again.shown.login);
        EXPECT_FALSE(again.engine.IsReadyForLogin());
        EXPECT_NE(again.shown.state, kReady);
        EXPECT_EQ(again.messages, Texts{"Lobby.exe启动失败!"});
        EXPECT_EQ(LocalText("handover.ini"), "md5=" + Md5OfText("new launcher") + "\r\nattempts=" +
                                                 std::to_string(attempt) + "\r\n");
        // The stamp waits for the new launcher to be in place.
        EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    }
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/launcher.EXE"), 0u);

    // The lobby failed each time: the old launcher carries on, says so, and
    // saves the stamp, so the starts after it make one request.
    RecordingView kept;
    kept.RunUpdate(mirror::Url());
    EXPECT_FALSE(kept.shown.quit);
    EXPECT_FALSE(kept.engine.m_bReplacePlazaUpdate);
    EXPECT_TRUE(kept.messages.empty());
    EXPECT_EQ(kept.shown.info, "新版启动器多次未能替换旧版，本次继续使用当前启动器。");
    EXPECT_EQ(kept.shown.state, kReady);
    EXPECT_EQ(LocalText("Launcher.log"), "HandOverAbandoned:\\launcher.EXE\r\n");
    EXPECT_EQ(LocalText("Launcher.exe"), "old launcher");
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    mirror::ClearFaults();
    RecordingView later;
    later.RunUpdate(mirror::Url());
    EXPECT_EQ(mirror::Requests().size(), 1u);
    EXPECT_FALSE(later.shown.quit);

    // The player asks for a repair: the waiting launcher gets one more try.
    RecordingView repair;
    repair.engine.ForceCheck();
    repair.RunUpdate(mirror::Url());
    EXPECT_TRUE(repair.shown.quit);
    EXPECT_EQ(LocalText("handover.ini"), "md5=" + Md5OfText("new launcher") + "\r\nattempts=" +
                                             std::to_string(kMaxHandOvers + 1) + "\r\n");
}

TEST_F(UpdateRunTest, HandOverRecordIsWaitedForAndWhenItCannotBeSavedTheNextStartHandsOver) {
    mirror::PublishFiles({{"\\Launcher.exe", "new launcher"}});
    mirror::WriteFile(Local("Launcher.exe"), "old launcher");
    const std::string counted = "md5=" + Md5OfText("new launcher") + "\r\nattempts=";
    // A scanner holds the record for a moment.
    mirror::WriteFile(Local("handover.ini"), counted + "0\r\n");
    Base::UniqueKernelHandle scanned(::CreateFileA(Local("handover.ini").c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(scanned);
    std::thread release([&scanned] {
        ::Sleep(1000);
        scanned.reset();
    });
    v.RunUpdate(mirror::Url());
    release.join();
    EXPECT_TRUE(v.shown.quit);
    EXPECT_EQ(LocalText("handover.ini"), counted + "1\r\n");

    // It cannot be saved at all: the old launcher carries on, says why, and
    // keeps the old stamp, so the next start hands over.
    ASSERT_TRUE(::CreateDirectoryA(Local("handover.ini.tmp").c_str(), nullptr));
    RecordingView blocked;
    blocked.RunUpdate(mirror::Url());
    ::RemoveDirectoryA(Local("handover.ini.tmp").c_str());
    EXPECT_FALSE(blocked.shown.quit);
    EXPECT_EQ(blocked.shown.info,
              "handover.ini无法保存，新版启动器下次启动时再替换，本次继续使用当前启动器。");
    EXPECT_EQ(blocked.shown.state, kReady);
    EXPECT_FALSE(blocked.engine.IsLauncherWaiting()) << "a login must not hand over uncounted";
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    RecordingView next;
    next.RunUpdate(mirror::Url());
    EXPECT_TRUE(next.shown.quit);
    EXPECT_EQ(LocalText("handover.ini"), counted + "2\r\n");
}

TEST_F(UpdateRunTest, TheLoginsHandOverIsCounted) {
    mirror::WriteFile(Local("Launcher.exe.tmp"), "new launcher");
    ::DeleteFileA(Local("handover.ini").c_str());
    // No Lobby.exe here: counted all the same, and the start fails.
    for (unsigned attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_EQ(v.engine.HandOverAtLogin(nullptr), HandOver::StartFailed);
        EXPECT_EQ(LocalText("handover.ini"), "md5=" + Md5OfText("new launcher") + "\r\nattempts=" +
                                                 std::to_string(attempt) + "\r\n");
    }
    ::DeleteFileA(Local("Launcher.exe.tmp").c_str());
}

// A record torn by a crash, or one of another file, counts no hand-over of
// this launcher: at worst the lobby gets one more try.
TEST(HandOverRecord, ATornOrForeignRecordCountsAsNone) {
    const std::string dir = mirror::InstallDir();
    const std::string md5 = Md5OfText("new launcher");
    const std::pair<std::string, unsigned> records[] = {
        {"md5=" + md5 + "\r\nattempts=2\r\n", 2},
        {"md5=" + md5 + "\r\nattempts=", 0},
        {"md5=" + md5.substr(0, 9), 0},
        {"md5=" + Md5OfText("another launcher") + "\r\nattempts=2\r\n", 0},
    };
    for (const auto& [record, count] : records) {
        mirror::WriteFile(dir + "handover.ini", record);
        EXPECT_EQ(CountHandOvers(dir, md5), count) << record;
    }
    ::DeleteFileA((dir + "handover.ini").c_str());
}

// The names in a folder, sorted, "." and ".." among them.
Texts FolderEntries(const std::string& folder) {
    Texts entries;
    WIN32_FIND_DATAA found;
    const HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        entries.push_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST_F(UpdateRunTest, NamesWithEscapesAndGbkTrailBytesDownloadAndLandInTheirFolders) {
    // 誠 ends in the byte 0x5C, the backslash: it is neither a folder break
    // nor the start of "\Launcher.exe".
    mirror::PublishFiles({{"\\100%.txt", "hundred"},
                          {"\\a b#c+d&e=f;g.txt", "punctuation"},
                          {"\\x誠Launcher.exe", "not the launcher"},
                          {"\\gbk\\誠.txt", "in gbk"}});
    v.RunUpdate(mirror::Url());
    ExpectReady();
    EXPECT_EQ(LocalText("100%.txt"), "hundred");
    EXPECT_EQ(LocalText("a b#c+d&e=f;g.txt"), "punctuation");
    EXPECT_EQ(LocalText("x誠Launcher.exe"), "not the launcher");
    EXPECT_FALSE(v.engine.m_bReplacePlazaUpdate);
    EXPECT_EQ(LocalText("gbk\\誠.txt"), "in gbk");
    EXPECT_EQ(FolderEntries(Local("gbk\\")), (Texts{".", "..", "誠.txt"}))
        << "no folder made from half a character";
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/100%25.txt"), 1u);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/a%20b%23c%2Bd%26e%3Df%3Bg.txt"), 1u);
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/gbk/%D5%5C.txt"), 1u);
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
}

TEST_F(UpdateRunTest, MirrorDownOnTheFirstRunThenRepairedOnTheBuiltInMirror) {
    const std::string down = "http://127.0.0.1:1/vedu/";
    v.RunUpdate(down);
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 3u);
    EXPECT_EQ(v.states, (Texts{kUpdating, kVersionFailed, kUpdating, kVersionFailed, kUpdating,
                               kVersionFailed}));
    EXPECT_EQ(LocalText("Launcher.log"),
              "InternetOpenUrl:00000000\r\nInternetOpenUrl:00000000\r\n"
              "InternetOpenUrl:00000000\r\n");
    EXPECT_TRUE(v.engine.m_bUpdating);
    EXPECT_FALSE(v.engine.m_bUpdateFinished);
    EXPECT_TRUE(v.shown.repair);
    EXPECT_FALSE(v.shown.login);
    EXPECT_EQ(v.shown.version, "");

    // The repair button: one attempt, counter 4, on the built-in mirror.
    v.ClearHistory();
    v.engine.ForceCheck();
    mirror::PublishFiles({});
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 4u);
    ExpectReady();

    // Pressed again after that: counter 5 is the second mirror, which stands
    // empty, so the built-in one answers; one attempt only.
    v.ClearHistory();
    v.RunUpdate(down);
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 5u);
    EXPECT_EQ(v.states, (Texts{kUpdating, kVersionFailed}));
    v.ClearHistory();
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 6u);
    ExpectReady();
}

TEST_F(UpdateRunTest, RepairRightAfterAReadyFirstRunReachesTheServer) {
    mirror::PublishFiles({{"\\data\\kept.bin", "the listed bytes"}});
    v.RunUpdate(mirror::Url());
    ExpectReady();
    mirror::WriteFile(Local("data\\kept.bin"), "damaged");

    // Counter 2 would be the second mirror; nothing set it.
    v.ClearHistory();
    v.engine.ForceCheck();
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.engine.m_nUpdateAttempt, 2u);
    EXPECT_EQ(LocalText("data\\kept.bin"), "the listed bytes");
    ExpectReady();
}

// An error page or a body cut short is no version file and no file list. A
// proxy that wants a login is named, so the player knows what to fix.
class BrokenListTest : public UpdateRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenListTest, VersionFileIsAFailedFetch) {
    mirror::SetFault("ver.html", GetParam());
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.states.back(),
              GetParam() == std::string("407") ? "代理服务器需要登录（407）！" : kVersionFailed);
    EXPECT_EQ(v.shown.version, "");
    EXPECT_EQ(mirror::CountRequests("/vedu/file.html"), 0u);
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

TEST_P(BrokenListTest, FileListEndsTheRunAtTheCheck) {
    // Long enough that half of the list still holds whole entries.
    std::vector<mirror::File> files;
    for (char c = 'a'; c <= 'h'; ++c)
        files.push_back({std::string("\\list_") + c + ".txt", std::string(1, c)});
    mirror::PublishFiles(files);
    mirror::SetFault("file.html", GetParam());
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(v.states, (Texts{kUpdating, kChecking, kChecking, kChecking}));
    EXPECT_TRUE(v.shown.repair);
    EXPECT_FALSE(v.shown.login);
    EXPECT_FALSE(v.engine.m_bUpdateFinished);
    EXPECT_FALSE(mirror::Exists(Local("list_a.txt")));
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenListTest, ::testing::Values("404", "407", "truncate"));

// Each broken download ends the pass with its reason, keeps the target and
// the old stamp, and still lets the player log in.
struct BrokenDownload {
    const char* fault;
    const char* reason;
};

class BrokenDownloadTest : public UpdateRunTest,
                           public ::testing::WithParamInterface<BrokenDownload> {};

TEST_P(BrokenDownloadTest, TargetStaysIntactAndTheStampIsNotSaved) {
    const std::string body(100000, 'n');
    mirror::PublishFiles({{"\\first.txt", "first"}, {"\\data.bin", body}, {"\\last.txt", "last"}});
    mirror::WriteFile(Local("data.bin"), "old data");
    ::DeleteFileA(Local("last.txt").c_str());
    mirror::SetFault("plaza/data.bin", GetParam().fault);
    v.RunUpdate(mirror::Url());

    EXPECT_EQ(v.shown.info, std::string("下载失败：\\data.bin") + GetParam().reason);
    EXPECT_EQ(LocalText("data.bin"), "old data");
    // A body that broke off leaves its start for the next run to resume;
    // nothing else leaves a temporary file.
    EXPECT_EQ(HasTemp("data.bin"), GetParam().fault == std::string("truncate"));
    EXPECT_EQ(LocalText("first.txt"), "first");
    EXPECT_FALSE(mirror::Exists(Local("last.txt")));
    EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
    ExpectReady();
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenDownloadTest,
                         ::testing::Values(BrokenDownload{"chunked", "文件不存在！"},
                                           BrokenDownload{"truncate", "文件不完整！"},
                                           BrokenDownload{"corrupt", "文件校验失败！"},
                                           BrokenDownload{"500", "服务器错误500！"},
                                           BrokenDownload{"404", "服务器错误404！"},
                                           BrokenDownload{"407", "代理服务器需要登录（407）！"},
                                           BrokenDownload{"reset", ""}),
                         [](const ::testing::TestParamInfo<BrokenDownload>& info) {
                             return std::string(
                                 info.param.fault == std::string("404")   ? "NotFound"
                                 : info.param.fault == std::string("407") ? "ProxyLogin"
                                 : info.param.fault == std::string("500") ? "ServerError"
                                                                          : info.param.fault);
                         });

TEST_F(UpdateRunTest, DigestMismatchIsRetriedOnceFromTheServer) {
    mirror::PublishFiles({{"\\data.bin", "good bytes"}});
    mirror::SetFault("plaza/data.bin", "corrupt", 1);
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(LocalText("data.bin"), "good bytes");
    const std::vector<std::string> asked = mirror::RequestsFor("/vedu/plaza/data.bin");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].find("no-cache"), std::string::npos) << "the first request may use a cache";
    EXPECT_NE(asked[1].find("no-cache"), std::string::npos) << "the retry must bypass caches";
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
}

TEST_F(UpdateRunTest, BadNamesEndTheRunBeforeAnyFileIsOpenedOrWritten) {
    // The first entry of each list is bad: it leaves the folder, Windows
    // cannot store it as named, or it is one file with the entry after it.
    // The local a.txt matches the listed "\a.txt", so a check that read it
    // through "\A.txt" would fetch A's bytes and move them over it.
    const std::vector<std::vector<ListedFile>> lists = {
        {{"\\..\\evil.dll", 4, Md5OfText("evil")}},
        {{"\\a.txt", 1, Md5OfText("a")}, {"\\A.txt", 1, Md5OfText("A")}},
        {{"\\aux.h", 3, Md5OfText("aux")}},
        {{"\\foo.", 3, Md5OfText("foo")}},
        {{"\\COM1", 3, Md5OfText("com")}},
        {{"\\a", 1, Md5OfText("a")}, {"\\a\\b.txt", 1, Md5OfText("b")}},
    };
    mirror::WriteFile(Local("a.txt"), "a");
    std::string parent = mirror::InstallDir();
    parent = parent.substr(0, parent.rfind('\\', parent.size() - 2) + 1);
    const Texts before = FolderEntries(mirror::InstallDir());
    const Texts parentBefore = FolderEntries(parent);

    for (const std::vector<ListedFile>& files : lists) {
        SCOPED_TRACE(files[0].name);
        mirror::ClearFaults();
        mirror::WriteFile(mirror::Path("file.html"), EncodeFileList(files).value());
        RecordingView run;
        run.RunUpdate(mirror::Url());
        EXPECT_EQ(run.shown.info, "下载失败：" + files[0].name + "文件名非法！");
        EXPECT_EQ(run.shown.state, kReady);
        EXPECT_EQ(FolderEntries(mirror::InstallDir()), before);
        EXPECT_EQ(FolderEntries(parent), parentBefore);
        EXPECT_EQ(LocalText("a.txt"), "a");
        EXPECT_EQ(LocalText("ver.ini"), kOldStamp);
        for (const std::string& request : mirror::Requests())
            EXPECT_EQ(request.find("/vedu/plaza/"), std::string::npos) << request;
    }
}

TEST_F(UpdateRunTest, UpperCaseDigestsDownloadEveryFileAndStillVerify) {
    mirror::PublishFiles({{"\\a.txt", "a"}});
    mirror::WriteFile(Local("a.txt"), "a");
    std::vector<ListedFile> files = {{"\\a.txt", 1, Md5OfText("a")}};
    for (char& c : files[0].md5)
        c = static_cast<char>(std::toupper(c));
    mirror::WriteFile(mirror::Path("file.html"), EncodeFileList(files).value());
    v.RunUpdate(mirror::Url());
    EXPECT_EQ(mirror::CountRequests("/vedu/plaza/a.txt"), 1u);
    EXPECT_EQ(LocalText("ver.ini"), kStamp);
    ExpectReady();
}

}  // namespace
