// The account store on the test prefix's real registry, without a window:
// listing, reading, deleting and saving logins.
#include <gtest/gtest.h>

#include "identity/HexCodec.h"
#include "login/AccountStore.h"
#include "tests/login/RegistryFixture.h"

// The tests of this file share the registry fixture under their own name.
class AccountStore : public RegistryFixture {};

TEST_F(AccountStore, ListingSkipsBrokenKeysAndShowsLongNames) {
    PutAccount("a_first", "one", 0);
    PutDword(Account("b_without_name"), "Server", 0);
    PutAccount("c_second", "two", 0);
    PutAccount("d" + std::string(31, 'x'), "long", 0);
    PutAccount("e_after", "three", 0);
    const std::vector<std::string> all = {"a_first", "c_second", "d" + std::string(31, 'x'),
                                          "e_after"};
    // The key without "UserAccount" is removed without hiding the key after
    // it; a name as long as the account box takes is listed, and so is every
    // account after it.
    EXPECT_EQ(accounts::ListAccounts(), all);
    EXPECT_FALSE(HasKey(Account("b_without_name")));
    EXPECT_EQ(accounts::ListAccounts(), all);
}

TEST_F(AccountStore, AccountPasswordLongerThan32IsDropped) {
    PutString(Account("long"), "UserAccount", "long");
    PutString(Account("long"), "UserPassword", ScrambleText(std::string(40, 'p')));
    PutDword(Account("long"), "Server", 2);
    PutAccount("short", std::string(32, 'q'), 1);

    const auto longOne = accounts::ReadAccount("long");
    ASSERT_TRUE(longOne);
    EXPECT_EQ(longOne->sPassword, "");
    EXPECT_EQ(longOne->options.server, 2u);

    const auto shortOne = accounts::ReadAccount("short");
    ASSERT_TRUE(shortOne);
    EXPECT_EQ(shortOne->sPassword, std::string(32, 'q'));
    EXPECT_EQ(shortOne->options.savePassword, true);
    EXPECT_EQ(shortOne->options.server, 1u);
}

TEST_F(AccountStore, DeleteTakesEverythingBelowTheAccount) {
    EXPECT_FALSE(accounts::DeleteAccount("alice"));
    PutAccount("alice", "apw", 0);
    // Whatever the lobby keeps below an account goes with it.
    PutDword(Account("alice") + "\\lobby\\deeper", "x", 1);
    PutDword(Account("alice") + "\\other", "y", 1);
    PutAccount("bob", "bpw", 2);

    EXPECT_TRUE(accounts::DeleteAccount("alice"));
    EXPECT_FALSE(HasKey(Account("alice")));
    EXPECT_TRUE(HasKey(Account("bob")));
}

TEST_F(AccountStore, ForgettingTheLastLoginKeepsTheServerChoice) {
    EXPECT_FALSE(accounts::ForgetLastLogon());
    PutLastLogin("alice", "apw");

    EXPECT_TRUE(accounts::ForgetLastLogon());
    EXPECT_EQ(GetString(kLast, "UserAccount"), "<none>");
    EXPECT_EQ(GetString(kLast, "UserPassword"), "<none>");
    EXPECT_EQ(GetDword(kLast, "SavePassWord"), -1);
    EXPECT_EQ(GetDword(kLast, "AutoLogon"), -1);
    EXPECT_EQ(GetDword(kLast, "Server"), 1);
    EXPECT_EQ(GetDword(kLast, "AutoSelectServer"), 1);
}

TEST_F(AccountStore, SavedLoginKeepsThePasswordOnlyWhenAskedTo) {
    accounts::LogonToSave logon;
    logon.sAccount = "abc";
    logon.sPassword = "x y";
    logon.savePassword = true;
    logon.autoLogon = true;
    accounts::SaveLogon(logon);

    EXPECT_EQ(GetString(kLast, "UserAccount"), "abc");
    const std::string saved = GetString(kLast, "UserPassword");
    EXPECT_NE(saved, "x y");
    EXPECT_EQ(UnscrambleText(saved, 33), "x y");
    EXPECT_EQ(GetDword(kLast, "SavePassWord"), 1);
    EXPECT_EQ(GetDword(kLast, "AutoLogon"), 1);
    EXPECT_EQ(GetDword(kLast, "Server"), 0);
    EXPECT_EQ(GetDword(kLast, "AutoSelectServer"), 0);
    EXPECT_EQ(UnscrambleText(GetString(Account("abc"), "UserPassword"), 33), "x y");
    EXPECT_EQ(GetDword(Account("abc"), "AutoSelectServer"), 0);

    // Without remembering, the last login forgets the password and the
    // auto-logon, and the account keeps its own.
    logon.sPassword = "new";
    logon.savePassword = false;
    accounts::SaveLogon(logon);
    EXPECT_EQ(GetString(kLast, "UserPassword"), "");
    EXPECT_EQ(GetDword(kLast, "SavePassWord"), 0);
    EXPECT_EQ(GetDword(kLast, "AutoLogon"), 0);
    EXPECT_EQ(UnscrambleText(GetString(Account("abc"), "UserPassword"), 33), "x y");
}

TEST_F(AccountStore, NamesThatCannotBeAKeyAreNeitherSavedNorLookedUp) {
    // 乗 is 0x81 0x5C in GBK: its second byte is no backslash to the registry.
    const std::string gbk =
        "\x81\x5C"
        "ab";
    EXPECT_EQ(accounts::CheckAccountKeyName(gbk), accounts::AccountKeyName::Fits);
    EXPECT_EQ(accounts::CheckAccountKeyName(std::string(31, 'x')), accounts::AccountKeyName::Fits);
    EXPECT_EQ(accounts::CheckAccountKeyName(std::string(32, 'x')),
              accounts::AccountKeyName::TooLong);
    EXPECT_EQ(accounts::CheckAccountKeyName(""), accounts::AccountKeyName::NotAKeyName);

    accounts::LogonToSave logon;
    logon.sPassword = "pw";
    logon.savePassword = true;
    for (const std::string& name : {std::string("alice\\lobby"), std::string(32, 'x')}) {
        logon.sAccount = name;
        accounts::SaveLogon(logon);
        EXPECT_FALSE(HasKey(kLast)) << name;
        EXPECT_FALSE(HasKey(Account(name))) << name;
    }
    logon.sAccount = gbk;
    accounts::SaveLogon(logon);
    EXPECT_EQ(GetString(kLast, "UserAccount"), gbk);
    EXPECT_EQ(GetDword(Account(gbk), "Server"), 0);

    // A name with a backslash reaches no key below another account.
    PutAccount("alice", "apw", 0);
    PutAccount("alice\\lobby", "lpw", 1);
    EXPECT_FALSE(accounts::ReadAccount("alice\\lobby"));
    EXPECT_FALSE(accounts::DeleteAccount("alice\\lobby"));
    EXPECT_TRUE(HasKey(Account("alice\\lobby")));
}
