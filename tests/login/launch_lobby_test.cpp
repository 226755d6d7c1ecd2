// The login against the real stand-in lobby started by ShellExecuteA from the
// test's own folder: the command line it receives, what is saved and what is
// not, the refusals and the failure message.
#include <gtest/gtest.h>

#include <fstream>

#include "identity/Md5.h"
#include "launcher_settings.h"
#include "tests/app/LauncherTestWindow.h"
#include "tests/login/LobbyFixture.h"
#include "ui/controls/Button.h"
#include "ui/controls/Edit.h"
#include "ui/controls/Option.h"
#include "ui/core/WindowManager.h"

using namespace SkinUI;

// The tests of this file share the lobby fixture under their own name.
class LaunchLobby : public LobbyFixture {};

TEST_F(LaunchLobby, OwnLoginStartsTheLobbyAndSavesTheLogin) {
    LauncherTestWindow window;
    Prepare(window, "abc", "x y");
    window.Control<COptionUI>("SavePassWord")->SetSelected(true);
    window.Control<COptionUI>("AutoLogon")->SetSelected(true);

    window.SendNotify("return", "PassWord");

    EXPECT_EQ(LobbyParameters(), "-Update_Over 0 0 3 3 15 abc x y 192.168.100.200");
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(ReadFile(Here("LobbyLogin.txt")),
              "line=0\r\npartner=0\r\naccount=abc\r\npassword=x y\r\naddress=192.168.100.200\r\n");
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_FALSE(window.Control<CButtonUI>("Logon")->IsEnabled());

    // The login is saved with the options as the window shows them.
    EXPECT_EQ(GetString(kLast, "UserAccount"), "abc");
    EXPECT_EQ(GetDword(kLast, "SavePassWord"), 1);
    EXPECT_EQ(GetDword(kLast, "AutoLogon"), 1);
}

TEST_F(LaunchLobby, PartnerLoginPassesTheFlagAndSavesNothing) {
    LauncherTestWindow window;
    Prepare(window, "qq10001", "secret");
    window.SendNotify("selectchanged", "RimbaLogon");
    window.SendNotify("return", "PassWord");
    EXPECT_EQ(LobbyParameters(), "-Update_Over 0 1 7 6 15 qq10001 secret 192.168.100.200");
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_FALSE(HasKey(kLast));
    EXPECT_FALSE(HasKey(Account("qq10001")));
}

TEST_F(LaunchLobby, ReplaceFormSkipsTheServerChoiceButSavesTheAccount) {
    LauncherTestWindow window;
    Prepare(window, "abc", "pw");
    window.m_Engine.m_bReplacePlazaUpdate = true;
    window.m_sServerAddr = "10.9.9.9";
    window.LaunchLobby();
    EXPECT_EQ(LobbyParameters(), "-Replace_PlazaUpdate");
    EXPECT_EQ(window.m_sServerAddr, "10.9.9.9");
    EXPECT_EQ(GetString(kLast, "UserAccount"), "abc");
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(LaunchLobby, MissingLobbyShowsTheMessageAndQuitsWithoutSaving) {
    ASSERT_TRUE(::DeleteFileA(Here("Lobby.exe").c_str()));
    // The hand-over of a waiting launcher is counted before the lobby starts,
    // so one that fails counts too.
    std::ofstream(Here("Launcher.exe.tmp"), std::ios::binary) << "new launcher";
    for (const bool handOver : {false, true}) {
        LauncherTestWindow window;
        Prepare(window, "abc", "pw");
        window.m_Engine.m_bReplacePlazaUpdate = handOver;
        window.LaunchLobby();
        ASSERT_FALSE(m_boxes.Boxes().empty());
        EXPECT_EQ(m_boxes.Boxes().back().sCaption, "提示");
        EXPECT_EQ(m_boxes.Boxes().back().sText, "大厅启动失败!");
        EXPECT_TRUE(TakeQuitMessage());
        EXPECT_FALSE(HasKey(kLast));
    }
    EXPECT_EQ(ReadFile(Here("handover.ini")),
              "md5=" + Md5OfText("new launcher") + "\r\nattempts=1\r\n");
    ::DeleteFileA(Here("Launcher.exe.tmp").c_str());
    ::DeleteFileA(Here("handover.ini").c_str());
}

TEST_F(LaunchLobby, RefusalsAndInputChecks) {
    LauncherTestWindow window;
    Prepare(window, "abc", "pw");

    // While an update runs, or before one has finished: nothing at all.
    window.m_Engine.m_bUpdating = true;
    window.LaunchLobby();
    window.m_Engine.m_bUpdating = false;
    window.m_Engine.m_bUpdateFinished = false;
    window.LaunchLobby();
    window.m_Engine.m_bUpdateFinished = true;
    // Enter in a disabled password box does not log in either.
    window.m_pPasswordEdit->SetEnabled(false);
    window.SendNotify("return", "PassWord");
    window.m_pPasswordEdit->SetEnabled(true);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_FALSE(TakeQuitMessage());

    // A page can set more than the boxes take from the keyboard, and a line
    // that would be cut does not reach the lobby whole.
    window.m_pAccountEdit->SetText(std::string(240, 'a').c_str());
    window.LaunchLobby();
    window.m_pAccountEdit->SetText(std::string(32, 'a').c_str());
    window.m_pPasswordEdit->SetText(std::string(33, 'p').c_str());
    window.LaunchLobby();
    window.m_pPasswordEdit->SetText("pw");
    window.m_vServerList = {std::string(200, '9')};
    window.LaunchLobby();

    window.m_pAccountEdit->SetText("");
    window.LaunchLobby();
    window.m_pAccountEdit->SetText("abc");
    window.m_pPasswordEdit->SetText("");
    window.LaunchLobby();
    EXPECT_EQ(m_boxes.Texts(), (std::vector<std::string>{
                                   "登录帐号不能超过32个字符（一个汉字算两个字符），请重新填写。",
                                   "登录密码不能超过32个字符（一个汉字算两个字符），请重新填写。",
                                   "登录信息太长，大厅无法接收，请缩短帐号或密码后重试。",
                                   "您还没有填写登录帐号！", "您还没有填写登录密码！"}));
    for (const auto& box : m_boxes.Boxes())
        EXPECT_EQ(box.sCaption, "提 示");
    EXPECT_EQ(window.m_Manager.GetFocus(), window.m_pPasswordEdit);
    // The launcher stays for another try.
    EXPECT_TRUE(window.Control<CButtonUI>("Logon")->IsEnabled());
    EXPECT_FALSE(window.LoginUnderway());
    EXPECT_FALSE(TakeQuitMessage());

    EXPECT_EQ(LobbyParameters(500), "<none>");
    EXPECT_FALSE(HasKey(kLast));
}

TEST_F(LaunchLobby, AccountsThatCannotNameAKeyLogInButAreNotRemembered) {
    const struct {
        std::string account;
        const char* reason;
    } cases[] = {
        {std::string(32, 'm'),
         "帐号超过31个字符（一个汉字算两个字符），启动器无法记住这个帐号。\n"},
        {"a\\b", "帐号中含有“\\”，启动器无法记住这个帐号。\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.account);
        WaitForLobbyToClose();
        ::DeleteFileA(Here("LobbyCommandLine.txt").c_str());
        ::DeleteFileA(Here("LobbyLogin.txt").c_str());
        LauncherTestWindow window;
        Prepare(window, c.account.c_str(), "pw");
        window.Control<COptionUI>("SavePassWord")->SetSelected(true);
        window.SendNotify("return", "PassWord");

        EXPECT_EQ(LobbyParameters(), "-Update_Over 0 0 " + std::to_string(c.account.size()) +
                                         " 2 15 " + c.account + " pw 192.168.100.200");
        EXPECT_TRUE(TakeQuitMessage());
        ASSERT_FALSE(m_boxes.Boxes().empty());
        EXPECT_EQ(m_boxes.Boxes().back().sText,
                  std::string(c.reason) + "本次照常登录，下次登录时请重新填写帐号和密码。");
        // The lobby may name it; the launcher wrote nothing for it.
        EXPECT_EQ(GetDword(Account(c.account), "Server"), -1);
    }
}
