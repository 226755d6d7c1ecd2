// The saved logins in the window, over the real registry: what a start loads
// into the controls, what picking, deleting and clearing an account do to
// them and to the keys.
#include <gtest/gtest.h>

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

// The tests of this file share the registry fixture under their own name.
class AccountsUi : public RegistryFixture {};

TEST_F(AccountsUi, LastLoginFillsTheWindowAndAutoLogonLocksTheInputs) {
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

TEST_F(AccountsUi, PickedAccountFillsThePasswordTheOptionAndTheLine) {
    PutString(Account("bare"), "UserAccount", "bare");
    PutDword(Account("bare"), "Server", 2);
    PutAccount("kept", "pw", 1);
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    window.Control<COptionUI>("SavePassWord")->SetSelected(true);

    window.m_pAccountCombo->SelectItem(0);
    EXPECT_EQ(window.m_pAccountEdit->GetText(), "bare");
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "");
    EXPECT_FALSE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_EQ(window.m_nServerLine, 2);
    EXPECT_TRUE(window.Control<COptionUI>("LogonLine2")->IsSelected());

    window.m_pAccountCombo->SelectItem(1);
    EXPECT_EQ(window.m_pPasswordEdit->GetText(), "pw");
    EXPECT_TRUE(window.Control<COptionUI>("SavePassWord")->IsSelected());
    EXPECT_EQ(window.m_nServerLine, 1);
}

TEST_F(AccountsUi, DeleteButtonRemovesTheKeyAndLoadsTheNextEntry) {
    PutAccount("alice", "apw", 0);
    PutAccount("bob", "bpw", 2);
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    EXPECT_EQ(Rows(window.m_pAccountCombo), std::vector<std::string>({"alice", "bob"}));
    window.m_pAccountCombo->SelectItem(0);

    // Each row carries the hidden delete button.
    auto* row = dynamic_cast<IContainerUI*>(window.m_pAccountCombo->GetItemAt(0));
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->GetCount(), 2);
    auto* deleteButton = dynamic_cast<CButtonUI*>(row->GetItemAt(1));
    ASSERT_NE(deleteButton, nullptr);
    EXPECT_EQ(deleteButton->GetName(), "delete");
    EXPECT_EQ(deleteButton->GetText(), "清除");
    EXPECT_FALSE(deleteButton->IsVisible());

    TNotifyMsg click;
    click.sType = "click";
    click.pSender = deleteButton;
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

TEST_F(AccountsUi, ClearForgetsTheLastLoginAndTheTypedAccount) {
    PutAccount("alice", "apw", 0);
    PutLastLogin("alice", "apw");
    LauncherTestWindow window;
    window.LoadSavedAccounts();
    window.m_bSavePassword = true;

    // With an empty box no account key goes, but the last login does.
    window.m_pAccountEdit->SetText("");
    window.SendNotify("click", "Clear");
    EXPECT_TRUE(HasKey(Account("alice")));
    EXPECT_EQ(GetString(kLast, "UserAccount"), "<none>");
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
