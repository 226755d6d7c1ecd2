// The server-address look-up with real Winsock on loopback names, without the
// window or its thread.
#include <gtest/gtest.h>

#include "login/ServerResolver.h"

namespace {
const std::string kDefault = "203.0.113.10";
}  // namespace

TEST(ServerResolver, UsesLiteralsLooksUpNamesAndFallsBack) {
    EXPECT_EQ(ResolveServerAddress("10.20.30.40", {}, kDefault, 0), "10.20.30.40");
    EXPECT_EQ(ResolveServerAddress("localhost", {}, kDefault, 0), "127.0.0.1");
    // 0.0.0.0 and names that do not resolve are not usable addresses.
    EXPECT_EQ(ResolveServerAddress("0.0.0.0", {}, kDefault, 0), kDefault);
    EXPECT_EQ(ResolveServerAddress("no-such-host.invalid", {}, kDefault, 0), kDefault);
    EXPECT_EQ(ResolveServerAddress("0.0.0.0", {"10.1.1.1"}, kDefault, 0), "10.1.1.1");
}
