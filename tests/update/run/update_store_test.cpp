// The text fetch, the update log and the version and file-list store,
// against the loopback mirror.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/update/support/MirrorFixture.h"
#include "identity/Md5.h"
#include "base/Handles.h"
#include "update/net/HttpFetchText.h"
#include "update/place/LocalVersion.h"
#include "update/run/UpdateStore.h"

namespace {

const std::string kStamp = "20261207a1b2c3d4e5f6";

class UpdateStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        mirror::ClearFaults();
        ::DeleteFileA(LogPath().c_str());
        store.m_sInstallDir = mirror::InstallDir();
    }
    static std::string LogPath() { return mirror::InstallDir() + "Launcher.log"; }
    static std::string Log() { return mirror::ReadFile(LogPath()); }

    CUpdateStore store;
};

TEST_F(UpdateStoreTest, TextFetchJoinsChunksAndCutsEachAtItsFirstZeroByte) {
    std::string body;
    for (int i = 0; i < 3000; ++i)
        body += static_cast<char>('a' + i % 26);
    mirror::WriteFile(mirror::Path("long.txt"), body);
    EXPECT_EQ(HttpFetchText(mirror::Url() + "long.txt"), body);

    // The zero byte at 100 loses the rest of the first 1023-byte read only.
    std::string withZero = body;
    withZero[100] = '\0';
    mirror::WriteFile(mirror::Path("zero.txt"), withZero);
    EXPECT_EQ(HttpFetchText(mirror::Url() + "zero.txt"), body.substr(0, 100) + body.substr(1023));

    mirror::WriteFile(mirror::Path("empty.txt"), "");
    EXPECT_EQ(HttpFetchText(mirror::Url() + "empty.txt"), "");
    EXPECT_EQ(Log(), "");
}

TEST_F(UpdateStoreTest, FailedTextFetchesGiveErrorAndOneLogLineEach) {
    mirror::WriteFile(mirror::Path("page.txt"), "a page");
    mirror::SetFault("page.txt", "404", 1);
    EXPECT_EQ(HttpFetchText(mirror::Url() + "page.txt"), "Error");
    mirror::SetFault("page.txt", "500", 1);
    EXPECT_EQ(HttpFetchText(mirror::Url() + "page.txt"), "Error");
    // An empty alternate mirror asks for the bare name.
    EXPECT_EQ(HttpFetchText("ver.html"), "Error");
    EXPECT_EQ(HttpFetchText("http://127.0.0.1:1/vedu/ver.html"), "Error");
    mirror::SetFault("page.txt", "reset");
    EXPECT_EQ(HttpFetchText(mirror::Url() + "page.txt"), "Error");
    mirror::ClearFaults();

    // The reset connection fails at the request or at its (absent) status,
    // depending on the internet layer; either way it is one line.
    const std::string url = mirror::Url() + "page.txt";
    const std::string expected = "HttpStatus:404 " + url + "\r\nHttpStatus:500 " + url +
                                 "\r\nInternetOpenUrl:00000000\r\nInternetOpenUrl:00000000\r\n";
    const std::string log = Log();
    EXPECT_EQ(log.substr(0, expected.size()), expected);
    const std::string last = log.substr(std::min(expected.size(), log.size()));
    EXPECT_TRUE(last == "InternetOpenUrl:00000000\r\n" || last == "HttpStatus:0 " + url + "\r\n")
        << last;
}

TEST_F(UpdateStoreTest, TextCutShortIsAFailedFetch) {
    // Half a file list reads as a shorter list, half a version file as
    // another stamp: both must fail, whether the connection closes or stalls.
    const std::string url = mirror::Url() + "cut.txt";
    mirror::WriteFile(mirror::Path("cut.txt"), std::string(5000, 'x'));
    mirror::SetFault("cut.txt", "truncate", 1);
    EXPECT_EQ(HttpFetchText(url), "Error");
    mirror::SetFault("cut.txt", "stall", 1);
    EXPECT_EQ(HttpFetchText(url), "Error");
    EXPECT_EQ(Log(), "Incomplete:2500/5000 " + url + "\r\nIncomplete:1024/5000 " + url + "\r\n");
    // Without a Content-Length the end of the body is all there is to go by.
    mirror::SetFault("cut.txt", "chunked", 1);
    EXPECT_EQ(HttpFetchText(url), std::string(5000, 'x'));
}

TEST_F(UpdateStoreTest, TextFetchesBypassCachesWithANewAgentEachTime) {
    mirror::WriteFile(mirror::Path("a.txt"), "one");
    EXPECT_EQ(HttpFetchText(mirror::Url() + "a.txt"), "one");
    ::Sleep(30);
    mirror::WriteFile(mirror::Path("a.txt"), "two");
    EXPECT_EQ(HttpFetchText(mirror::Url() + "a.txt"), "two");
    std::vector<std::string> agents;
    for (const std::string& line : mirror::Requests()) {
        if (line.find("/vedu/a.txt") == std::string::npos)
            continue;
        EXPECT_NE(line.find("\"agent\": \"Agent"), std::string::npos) << line;
        EXPECT_NE(line.find("\"pragma\": \"no-cache\""), std::string::npos) << line;
        agents.push_back(line.substr(line.find("\"agent\"")));
        agents.back() = agents.back().substr(0, agents.back().find(','));
    }
    ASSERT_EQ(agents.size(), 2u);
    EXPECT_NE(agents[0], agents[1]);
}

TEST_F(UpdateStoreTest, VersionFileGivesStampAndDisplayVersion) {
    mirror::PublishVersion("2.5.0", kStamp);
    ASSERT_TRUE(store.FetchVersion(mirror::Url() + "ver.html"));
    EXPECT_EQ(store.GetDisplayVersion(), "2.5.0");
    EXPECT_EQ(store.m_sVersionStamp, kStamp);

    mirror::WriteFile(mirror::Path("short.html"), "shortstamp");
    ASSERT_TRUE(store.FetchVersion(mirror::Url() + "short.html"));
    EXPECT_EQ(store.GetDisplayVersion(), "");
    EXPECT_EQ(store.m_sVersionStamp, "shortstamp");

    mirror::SetFault("ver.html", "404");
    EXPECT_FALSE(store.FetchVersion(mirror::Url() + "ver.html"));
    EXPECT_EQ(store.m_sVersionStamp, "shortstamp");
}

TEST_F(UpdateStoreTest, LocalVersionIsOneWordReadBack) {
    const std::string verIni = LocalVersionPath(store.m_sInstallDir);
    store.m_sVersionStamp = kStamp;
    ::DeleteFileA(verIni.c_str());
    EXPECT_FALSE(store.IsLocalVersionCurrent());
    mirror::WriteFile(verIni, kStamp);
    EXPECT_TRUE(store.IsLocalVersionCurrent());
    mirror::WriteFile(verIni, "  " + kStamp + "\r\n");
    EXPECT_TRUE(store.IsLocalVersionCurrent());
    mirror::WriteFile(verIni, kStamp + "x");
    EXPECT_FALSE(store.IsLocalVersionCurrent());

    // A stamp that ends in a line break never matches the word read back.
    store.m_sVersionStamp = kStamp.substr(1) + "\n";
    mirror::WriteFile(verIni, store.m_sVersionStamp);
    EXPECT_FALSE(store.IsLocalVersionCurrent());

    // A word longer than 259 characters is another version, even if equal.
    store.m_sVersionStamp = std::string(300, 'v');
    mirror::WriteFile(verIni, store.m_sVersionStamp);
    EXPECT_FALSE(store.IsLocalVersionCurrent());
}

TEST_F(UpdateStoreTest, ReadOnlyVersionFileTakesTwoSaves) {
    const std::string verIni = LocalVersionPath(store.m_sInstallDir);
    mirror::WriteFile(verIni, "old");
    ASSERT_TRUE(::SetFileAttributesA(verIni.c_str(), FILE_ATTRIBUTE_READONLY));
    Base::UniqueKernelHandle probe(
        ::CreateFileA(verIni.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (probe)
        GTEST_SKIP() << "the read-only attribute does not stop this user (root)";
    store.m_sVersionStamp = kStamp;
    EXPECT_FALSE(store.SaveLocalVersion());
    EXPECT_TRUE(store.SaveLocalVersion());
    EXPECT_EQ(mirror::ReadFile(verIni), kStamp);
    EXPECT_TRUE(store.IsLocalVersionCurrent());
}

TEST_F(UpdateStoreTest, VersionFileIsReplacedInOneStepNotRewrittenInPlace) {
    // The new stamp is written beside ver.ini and arrives by a rename, so a
    // crash or a full disk part way never leaves an empty or torn stamp; a
    // scanner that holds ver.ini for a moment is waited for, as a move waits.
    const std::string verIni = LocalVersionPath(store.m_sInstallDir);
    mirror::WriteFile(verIni, "old stamp");
    Base::UniqueKernelHandle scanner(::CreateFileA(verIni.c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(scanner);
    store.m_sVersionStamp = kStamp;
    std::atomic<bool> saved{false}, done{false};
    std::thread save([&] {
        saved = store.SaveLocalVersion();
        done = true;
    });
    // Written in place, the stamp would be there at once, and the save done.
    const DWORD start = ::GetTickCount();
    while (!mirror::Exists(verIni + ".tmp") && !done && ::GetTickCount() - start < 20000)
        ::Sleep(5);
    char read[64] = {};
    DWORD got = 0;
    ASSERT_TRUE(::ReadFile(scanner.get(), read, sizeof(read), &got, nullptr));
    EXPECT_EQ(std::string(read, got), "old stamp");
    scanner.reset();
    save.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(mirror::ReadFile(verIni), kStamp);
    EXPECT_FALSE(mirror::Exists(verIni + ".tmp"));
}

class DownloadListTest : public UpdateStoreTest {
protected:
    void Build() {
        EXPECT_TRUE(store.FetchFileList(mirror::Url() + "file.html"));
        EXPECT_TRUE(store.BuildDownloadList());
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (const FileRecord& r : store.m_lstDownload)
            names.push_back(r.m_sName);
        return names;
    }
};

TEST_F(DownloadListTest, OnlyFilesThatDifferFromTheLocalCopyAreListed) {
    mirror::PublishFiles({{"\\same.txt", "same"},
                          {"\\Res\\changed.png", "new bytes"},
                          {"\\missing.dll", "missing"},
                          {"\\empty.dat", ""}});
    mirror::WriteFile(mirror::InstallDir() + "same.txt", "same");
    mirror::WriteFile(mirror::InstallDir() + "Res\\changed.png", "old bytes");
    mirror::WriteFile(mirror::InstallDir() + "empty.dat", "");
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"\\Res\\changed.png", "\\missing.dll"}));
    const DownloadCount count = store.CountDownloads();
    EXPECT_EQ(count.count, 2u);
    EXPECT_EQ(count.totalSize, 16u);

    // A failed fetch of the list keeps what the last one found.
    mirror::SetFault("file.html", "404");
    EXPECT_FALSE(store.FetchFileList(mirror::Url() + "file.html"));
    EXPECT_EQ(store.CountDownloads().count, 2u);
}

TEST_F(DownloadListTest, ListLayoutQuirks) {
    mirror::PublishFiles({{"\\a.txt", "a"}, {"\\b.txt", "b"}});
    mirror::WriteFile(mirror::InstallDir() + "a.txt", "a");
    mirror::WriteFile(mirror::InstallDir() + "b.txt", "b");
    const std::string list = mirror::ReadFile(mirror::Path("file.html"));

    // Blank lines between entries vanish.
    std::string blank;
    for (char c : list)
        blank += c == '\n' ? std::string("\n\r\n\n") : std::string(1, c);
    mirror::WriteFile(mirror::Path("file.html"), blank);
    Build();
    EXPECT_TRUE(Listed().empty());

    // A trailing path with no size or digest is never listed; a duplicate is compared (and listed)
    // twice.
    const size_t thirdLine = list.find('\n', list.find('\n') + 1);
    const std::string firstGroup = list.substr(0, list.find('\n', thirdLine + 1) + 1);
    mirror::WriteFile(mirror::InstallDir() + "a.txt", "changed");
    mirror::WriteFile(mirror::Path("file.html"),
                      firstGroup + list + list.substr(0, list.find('\n')));
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"\\a.txt", "\\a.txt"}));

    // A leading line break shifts every field by one line: the digests are
    // read as names, and the last one, left without its fields, as none.
    mirror::WriteFile(mirror::Path("file.html"), "\r\n" + list);
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"", Md5OfText("a")}));
}

TEST_F(DownloadListTest, UpperCaseDigestsAndUnsafeNamesAreAlwaysListed) {
    mirror::PublishFiles({{"\\a.txt", "a"}});
    mirror::WriteFile(mirror::InstallDir() + "a.txt", "a");
    std::vector<ListedFile> files = {{"\\a.txt", 1, Md5OfText("a")}};
    for (char& c : files[0].md5)
        c = static_cast<char>(std::toupper(c));
    files.push_back({"\\..\\evil.dll", 4, Md5OfText("evil")});
    files.push_back({"\\Res\\..\\..\\x.txt", 1, Md5OfText("x")});
    files.push_back({"C:\\x.txt", 1, Md5OfText("x")});
    mirror::WriteFile(mirror::Path("file.html"), EncodeFileList(files).value());
    Build();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"\\a.txt", "\\..\\evil.dll",
                                                  "\\Res\\..\\..\\x.txt", "C:\\x.txt"}));
}

TEST_F(DownloadListTest, ThousandEntries) {
    std::vector<mirror::File> files;
    for (int i = 0; i < 1000; ++i) {
        files.push_back({"\\many\\f" + std::to_string(i) + ".txt", std::to_string(i)});
        if (i % 10)
            mirror::WriteFile(mirror::InstallDir() + files.back().name.substr(1),
                              files.back().bytes);
    }
    mirror::PublishFiles(files);
    Build();
    EXPECT_EQ(store.CountDownloads().count, 100u);
    EXPECT_EQ(store.m_lstDownload.front().m_sName, "\\many\\f0.txt");
}

}  // namespace

namespace {}  // namespace
