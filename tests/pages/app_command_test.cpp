// The "app:" commands a page sends by navigating: which URLs are commands and
// the exact bytes that reach the account and password boxes.
#include <gtest/gtest.h>

#include <string>

#include "pages/AppCommand.h"

namespace {

const std::string kToken = "0123456789abcdef0123456789ABCDEF";  // 32 bytes

void ExpectLogon(const std::string& url, const std::string& account, const std::string& password) {
    const AppCommand command = ParseAppCommand(url);
    EXPECT_EQ(command.kind, AppCommandKind::Logon) << url;
    EXPECT_EQ(command.account, account) << url;
    EXPECT_EQ(command.password, password) << url;
}

}  // namespace

TEST(AppCommand, RegisterAndCancelMatchOnlyTheWholeUrl) {
    EXPECT_EQ(ParseAppCommand("app:register").kind, AppCommandKind::Register);
    EXPECT_EQ(ParseAppCommand("app:cancel").kind, AppCommandKind::Cancel);
    // Anything longer is a plain credential command without "&&".
    ExpectLogon("app:register2", "", "app:register2");
    ExpectLogon("app:cancel&&x", "cancel", "x");
    // Case matters, and so do the bytes around the prefix.
    EXPECT_EQ(ParseAppCommand("APP:register").kind, AppCommandKind::None);
    EXPECT_EQ(ParseAppCommand("App:user&&pw").kind, AppCommandKind::None);
    EXPECT_EQ(ParseAppCommand(" app:cancel").kind, AppCommandKind::None);
    EXPECT_EQ(ParseAppCommand("http://host/app:x&&y").kind, AppCommandKind::None);
    EXPECT_EQ(ParseAppCommand("").kind, AppCommandKind::None);
}

TEST(AppCommand, PlainCredentialsSplitAtTheFirstDoubleAmpersand) {
    ExpectLogon("app:player01&&pw 1", "player01", "pw 1");
    ExpectLogon("app:\xCD\xE6\xBC\xD2&&\xC3\xDC\xC2\xEB", "\xCD\xE6\xBC\xD2",
                "\xC3\xDC\xC2\xEB");  // GBK 玩家 / 密码
    ExpectLogon("app:a&&b&&c", "a", "b&&c");
    ExpectLogon("app:a&&&b", "a", "&b");
    // "&&" at the end empties the password; at the start, the account.
    ExpectLogon("app:player&&", "player", "");
    ExpectLogon("app:&&secret", "", "secret");
    // No "&&": the account is empty and the password is the whole URL.
    ExpectLogon("app:player01", "", "app:player01");
    ExpectLogon("app:", "", "app:");
    ExpectLogon("app:a&b", "", "app:a&b");
}

TEST(AppCommand, PartnerCommandsKeepThePrefixAndTakeTheLast32Bytes) {
    // 8 + 10 + 2 + 32 = 52 bytes: the account is "rb" + U+2237 + the 10 bytes.
    const std::string url = std::string(kPartnerPrefixRb) + "1234567890" + "##" + kToken;
    ASSERT_EQ(url.size(), 52u);
    ExpectLogon(url,
                "rb\xA1\xCB"
                "1234567890",
                kToken);
    ExpectLogon(std::string(kPartnerPrefixTs) + "ab" + "&&" + kToken,
                "ts\xA1\xCB"
                "ab",
                kToken);
    // The "&&" of a partner URL is not a separator.
    ExpectLogon(std::string(kPartnerPrefixTs) + "x&&y" + "--" + kToken,
                "ts\xA1\xCB"
                "x&&y",
                kToken);
    // Without an account part only the partner prefix is left; 38 bytes or
    // fewer give no account at all, and the password is the last 32 bytes or
    // the whole URL.
    ExpectLogon(std::string(kPartnerPrefixRb) + "--" + kToken, "rb\xA1\xCB", kToken);
    const std::string thirtyEight = std::string(kPartnerPrefixRb) + kToken.substr(2);
    ASSERT_EQ(thirtyEight.size(), 38u);
    ExpectLogon(thirtyEight, "", thirtyEight.substr(6));
    ExpectLogon(thirtyEight + "z", "r", (thirtyEight + "z").substr(7));
    ExpectLogon(std::string(kPartnerPrefixRb), "", std::string(kPartnerPrefixRb));
    ExpectLogon(std::string(kPartnerPrefixRb) + "short", "",
                std::string(kPartnerPrefixRb) + "short");
}

TEST(AppCommand, UrlsShorterThanThePrefixesAreNoCommands) {
    for (const char* url : {"a", "ap", "app", "app:rb", "app:rb\xA1"}) {
        const AppCommand command = ParseAppCommand(url);
        if (std::string(url).size() < 4) {
            EXPECT_EQ(command.kind, AppCommandKind::None) << url;
        } else {
            // Shorter than a partner prefix: a plain command without "&&".
            ExpectLogon(url, "", url);
        }
    }
    // Half of the GBK character is not the partner prefix.
    ExpectLogon(
        "app:rb\xA1"
        "x&&y",
        "rb\xA1"
        "x",
        "y");
}
