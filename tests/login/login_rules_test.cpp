// The lobby command line as the launcher writes it and as the stand-in lobby
// reads it back, and the server-line rules.
#include <gtest/gtest.h>

#include <cstring>

#include "login/LobbyCommandLine.h"
#include "login/ServerLine.h"
#include "standins/lobby/UpdateOverArgs.h"

namespace {

const std::string kDefault = "203.0.113.10";

LobbyLogin Login(const std::string& account, const std::string& password,
                 const std::string& address, int line = 0, bool partner = false) {
    LobbyLogin login;
    login.nServerLine = line;
    login.bPartnerLogon = partner;
    login.sAccount = account;
    login.sPassword = password;
    login.sServerAddr = address;
    return login;
}

}  // namespace

TEST(LobbyCommandLine, LengthsLetTheLobbyCutOutTextsWithSpaces) {
    const std::string address = "192.168.100.200";
    ASSERT_EQ(address.size(), 15u);
    const auto params = FormatUpdateOverParameters(Login("abc", "x y", address));
    ASSERT_TRUE(params);
    EXPECT_EQ(*params, "-Update_Over 0 0 3 3 15 abc x y " + address);

    const auto parsed = ParseUpdateOverArgs(*params);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sAccount, "abc");
    EXPECT_EQ(parsed->sPassword, "x y");
    EXPECT_EQ(parsed->sServerAddr, address);

    // Spaces at the edges, a partner login on line 2, and GBK text whose
    // lengths count bytes, not characters.
    const std::string gbkAccount = "\xD5\xCB\xBA\xC5 a";
    const auto partner = FormatUpdateOverParameters(Login(gbkAccount, " p w ", kDefault, 2, true));
    ASSERT_TRUE(partner);
    const auto round = ParseUpdateOverArgs(*partner);
    ASSERT_TRUE(round);
    EXPECT_EQ(round->nServerLine, 2);
    EXPECT_EQ(round->nPartnerLogon, 1);
    EXPECT_EQ(round->sAccount, gbkAccount);
    EXPECT_EQ(round->sPassword, " p w ");
    EXPECT_EQ(round->sServerAddr, kDefault);
}

TEST(LobbyCommandLine, ALineThatWouldBeCutIsRefused) {
    // "-Update_Over 0 0 N 2 12 " and " pw " with the address take 42 bytes
    // beside an account of 100 to 999 bytes. A cut line would no longer match
    // its lengths, so the lobby would refuse it.
    const auto longest = FormatUpdateOverParameters(
        Login(std::string(kMaxLobbyParameters - 42, 'a'), "pw", kDefault));
    ASSERT_TRUE(longest);
    EXPECT_EQ(longest->size(), kMaxLobbyParameters);
    EXPECT_TRUE(ParseUpdateOverArgs(*longest));
    EXPECT_FALSE(FormatUpdateOverParameters(
        Login(std::string(kMaxLobbyParameters - 41, 'a'), "pw", kDefault)));
}

TEST(LobbyCommandLine, MalformedLinesAreRefused) {
    for (const char* bad :
         {"", "-Replace_PlazaUpdate", "-Update_Over", "-Update_Over 0 0 3 3 9",
          "-Update_Over 0 0 3 3 9 abc", "-Update_Over 0 0 -1 3 9 abc x y 127.0.0.1",
          "-Update_Over 0 0 3 x 9 abc xyz 127.0.0.1", "-Update_Over 0 0 3 3 10 abc x y 127.0.0.1",
          "-Update_Over 0 0 3 3 9 abcx y  127.0.0.1",
          "-Update_Over 0 0 99999999999 3 9 abc x y 127.0.0.1",
          "-update_over 0 0 3 3 9 abc x y 127.0.0.1"}) {
        EXPECT_FALSE(ParseUpdateOverArgs(bad)) << bad;
    }
    EXPECT_TRUE(ParseUpdateOverArgs("-Update_Over 1 0 0 0 0   "));
}

TEST(ServerLine, AutomaticModeDerivesTheLineFromSixCharacters) {
    EXPECT_EQ(AutoServerLine("203.0.99.1", kDefault), 2);
    EXPECT_EQ(AutoServerLine(kDefault, kDefault), 2);
    EXPECT_EQ(AutoServerLine("203.1.113.10", kDefault), 0);
    // A shorter text takes part whole, terminator included.
    EXPECT_EQ(AutoServerLine("203.0", kDefault), 0);
    EXPECT_EQ(AutoServerLine("1.2", "1.2"), 2);

    const ServerChoice automatic =
        ChooseLoginServer(true, {1, "10.0.0.1"}, {"x"}, {"y"}, kDefault, 5);
    EXPECT_EQ(automatic.nServerLine, 0);
    EXPECT_EQ(automatic.sServerAddr, "10.0.0.1");
}

TEST(ServerLine, FixedLinePicksFromItsListOrTheDefault) {
    const std::vector<std::string> lines01 = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
    const std::vector<std::string> line2 = {"10.2.0.1", "10.2.0.2"};

    const ServerChoice fromList =
        ChooseLoginServer(false, {1, "1.1.1.1"}, lines01, line2, kDefault, 7);
    EXPECT_EQ(fromList.nServerLine, 1);
    EXPECT_EQ(fromList.sServerAddr, "10.0.0.2");
    const ServerChoice line2Pick =
        ChooseLoginServer(false, {2, "1.1.1.1"}, lines01, line2, kDefault, 7);
    EXPECT_EQ(line2Pick.sServerAddr, "10.2.0.2");

    const ServerChoice empty = ChooseLoginServer(false, {2, "10.9.9.9"}, lines01, {}, kDefault, 3);
    EXPECT_EQ(empty.nServerLine, 2);
    EXPECT_EQ(empty.sServerAddr, kDefault);
}

TEST(ServerLine, ResolverKeepsUsableAddressesAndFallsBackOtherwise) {
    const uint32_t loopback = 0x0100007Fu;  // 127.0.0.1 as it lies in memory
    uint32_t value;
    const unsigned char bytes[4] = {192, 168, 1, 254};
    std::memcpy(&value, bytes, sizeof(value));
    EXPECT_EQ(ResolvedServerAddress(value, {}, kDefault, 0), "192.168.1.254");
    EXPECT_EQ(ResolvedServerAddress(loopback, {"9.9.9.9"}, kDefault, 0), "127.0.0.1");

    EXPECT_EQ(ResolvedServerAddress(0xFFFFFFFFu, {}, kDefault, 4), kDefault);
    EXPECT_EQ(ResolvedServerAddress(0, {}, kDefault, 4), kDefault);
    EXPECT_EQ(ResolvedServerAddress(0, {"a", "b", "c"}, kDefault, 4), "b");
}
