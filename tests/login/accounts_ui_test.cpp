// The saved logins against the real registry: what a start loads into the
// window, what picking, deleting and clearing an account do to keys and
// controls.
#include <gtest/gtest.h>

#include "identity/HexCodec.h"
#include "launcher_settings.h"
#include "tests/app/LauncherTestWindow.h"
#include "tests/login/RegistryFixture.h"
#include "ui/controls/Button.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/controls/ListElement.h"
#include "ui/controls/Option.h"

using namespace SkinUI;

namespace {

std::vector<std::string> Rows(CComboUI* combo) {
    std::vector<std::string> rows;
    for (int i = 0; i < combo->GetCount(); ++i)
        rows.push_back(combo->GetItemAt(i)->GetText());
    return rows;
}

}  // namespace

class AccountStore : public RegistryFixture {
protected:
    void PutAccount(const std::string& name, const std::string& password, DWORD line) {
        PutString(Account(name), "UserAccount", name);
        PutString(Account(name), "UserPassword", ScrambleText(password));
        PutDword(Account(name), "SavePassWord", 1);
        PutDword(Account(name), "Server", line);
    }
};

TEST_F(AccountStore, LastLoginFillsTheWindowAndAutoLogonLocksTheInputs) {
    PutString(kLast, "UserAccount", "player");
    PutString(kLast, "UserPassword", "zz-not-scrambled-hex");
    PutDword(kLast, "Server", 1);
    PutDword(kLast, "AutoLogon", 1);
    PutDword(kLast, "AutoSelectServer", 1);
    PutDword(kLast, "SavePassWord", 1);

    LauncherTestWindow window;
    window.m_sServerAddr = "10.0.0.99";
    window.LoadSavedAccounts();

    EXPECT_EQ(window.m_pAccountEdit->GetText(), "player");
    // A password that does not unscramble leaves the box empty, but the
    // remember option is still ticked.
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "");
    EXPECT_TRUE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_TRUE(window.Control<COptionUI>("AutoLogon")->IsSelected());
    EXPECT_TRUE(window.m_bAutoLogon);
    EXPECT_TRUE(window.m_bSavePassword);
    EXPECT_TRUE(window.m_bAutoSelectServer);
    EXPECT_TRUE(window.Control<COptionUI>("LogonLineAuto")->IsSelected());
    EXPECT_EQ(window.m_nServerLine, 1);
    EXPECT_EQ(window.m_sServerAddr, settings::kServerAddr);

    EXPECT_FALSE(window.m_pAccountCombo->IsEnabled());
    EXPECT_FALSE(window.m_pAccountEdit->IsEnabled());
    EXPECT_FALSE(window.m_pPasswordEdit->IsEnabled());

    // Picking an account never locks anything.
    PutAccount("other", "pw", 0);
    window.LoadSavedAccounts();
    window.m_pAccountCombo->SetEnabled(true);
    window.m_pAccountEdit->SetEnabled(true);
    window.m_pAccountCombo->SelectItem(0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "other");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "pw");
    EXPECT_TRUE(window.m_pAccountEdit->IsEnabled());
}

TEST_F(AccountStore, ListingSkipsBrokenKeysAndShowsLongNames) {
    PutAccount("a_first", "one", 0);
    PutDword(Account("b_without_name"), "Server", 0);
    PutAccount("c_second", "two", 0);
    PutAccount("d" + std::string(31, 'x'), "long", 0);
    PutAccount("e_after", "three", 0);
    const std::vector<std::string> all = {"a_first", "c_second", "d" + std::string(31, 'x'),
                                          "e_after"};
    {
        LauncherTestWindow window;
        window.LoadSavedAccounts();
        // The key without "UserAccount" is removed without hiding the key
        // after it; a name as long as the account box takes is listed, and
        // so is every account after it.
        EXPECT_EQ(Rows(window.m_pAccountCombo), all);
        EXPECT_FALSE(HasKey(Account("b_without_name")));
    }
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    EXPECT_EQ(Rows(window.m_pAccountCombo), all);

    // Each row carries the hidden delete button.
    CControlUI* row = window.m_pAccountCombo->GetItemAt(0);
    auto* rowContainer = dynamic_cast<IContainerUI*>(row);
    ASSERT_NE(rowContainer, nullptr);
    ASSERT_EQ(rowContainer->GetCount(), 2);
    auto* deleteButton = dynamic_cast<CButtonUI*>(rowContainer->GetItemAt(1));
    ASSERT_NE(deleteButton, nullptr);
    EXPECT_EQ(deleteButton->GetName(), "delete");
    EXPECT_EQ(deleteButton->GetText(), "清除");
    EXPECT_FALSE(deleteButton->IsVisible());
}

TEST_F(AccountStore, PickedAccountPasswordLongerThan32IsDropped) {
    PutString(Account("long"), "UserAccount", "long");
    PutString(Account("long"), "UserPassword", ScrambleText(std::string(40, 'p')));
    PutDword(Account("long"), "Server", 2);
    PutAccount("short", std::string(32, 'q'), 1);
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    window.Control<COptionUI>("SavePassWord")->SetSelected(true);

    window.m_pAccountCombo->SelectItem(0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "long");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "");
    EXPECT_FALSE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_EQ(window.m_nServerLine, 2);
    EXPECT_TRUE(window.Control<COptionUI>("LogonLine2")->IsSelected());

    window.m_pAccountCombo->SelectItem(1);
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), std::string(32, 'q'));
    EXPECT_TRUE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_EQ(window.m_nServerLine, 1);
}

TEST_F(AccountStore, DeleteButtonRemovesTheKeyAndLoadsTheNextEntry) {
    PutAccount("alice", "apw", 0);
    // Whatever the lobby keeps below an account goes with it.
    PutDword(Account("alice") + "\\lobby\\deeper", "x", 1);
    PutDword(Account("alice") + "\\other", "y", 1);
    PutAccount("bob", "bpw", 2);
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    window.m_pAccountCombo->SelectItem(0);

    auto* row = dynamic_cast<IContainerUI*>(window.m_pAccountCombo->GetItemAt(0));
    ASSERT_NE(row, nullptr);
    TNotifyMsg click;
    click.sType = "click";
    click.pSender = row->GetItemAt(1);
    window.Notify(click);

    EXPECT_FALSE(HasKey(Account("alice")));
    EXPECT_TRUE(HasKey(Account("bob")));
    EXPECT_EQ(Rows(window.m_pAccountCombo), std::vector<std::string>({"bob"}));
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "bob");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "bpw");
    EXPECT_EQ(window.m_nServerLine, 2);

    // The last entry gone: both boxes empty.
    row = dynamic_cast<IContainerUI*>(window.m_pAccountCombo->GetItemAt(0));
    click.pSender = row->GetItemAt(1);
    window.Notify(click);
    EXPECT_EQ(window.m_pAccountCombo->GetCount(), 0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "");
}

TEST_F(AccountStore, ClearForgetsTheLastLoginButKeepsTheServerChoice) {
    PutAccount("alice", "apw", 0);
    PutString(kLast, "UserAccount", "alice");
    PutString(kLast, "UserPassword", ScrambleText("apw"));
    PutDword(kLast, "SavePassWord", 1);
    PutDword(kLast, "AutoLogon", 0);
    PutDword(kLast, "Server", 1);
    PutDword(kLast, "AutoSelectServer", 1);
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    window.m_bSavePassword = true;

    // With an empty box no account key goes, but the last login does.
    window.m_pAccountEdit->SetText("");
    window.SendNotify("click", "Clear");
    EXPECT_TRUE(HasKey(Account("alice")));
    EXPECT_EQ(GetString(kLast, "UserAccount"), "<none>");
    EXPECT_EQ(GetString(kLast, "UserPassword"), "<none>");
    EXPECT_EQ(GetDword(kLast, "SavePassWord"), -1);
    EXPECT_EQ(GetDword(kLast, "AutoLogon"), -1);
    EXPECT_EQ(GetDword(kLast, "Server"), 1);
    EXPECT_EQ(GetDword(kLast, "AutoSelectServer"), 1);
    // The remaining entry is selected and loaded again.
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "alice");

    window.SendNotify("click", "Clear");
    EXPECT_FALSE(HasKey(Account("alice")));
    EXPECT_EQ(window.m_pAccountCombo->GetCount(), 0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "");
    EXPECT_FALSE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_FALSE(window.Control<COptionUI>("AutoLogon")->IsSelected());
    // The flags stay until the player changes the options.
    EXPECT_TRUE(window.m_bSavePassword);
}
