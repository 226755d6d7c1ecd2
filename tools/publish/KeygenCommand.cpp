// publish keygen: the operator's release signing key.
#include <cstdio>

#include "tools/publish/Commands.h"
#include "tools/publish/KeyFile.h"

namespace {

const char kUsage[] =
    "usage: publish keygen KEYFILE\n"
    "\n"
    "Makes an Ed25519 key pair for signing releases. The secret key goes into the\n"
    "new file KEYFILE, readable by its owner only (an existing file is never\n"
    "overwritten); the public key is printed as 64 hex digits, the value the\n"
    "launcher is built with (LAUNCHER_RELEASE_KEYS).\n";

}  // namespace

int RunKeygen(const Args& args) {
    if (auto exit = UsageExit(args, kUsage, args.size() == 1 && args[0].rfind("--", 0) != 0))
        return *exit;
    std::string error;
    const auto publicKey = CreateKeyFile(args[0], error);
    if (!publicKey) {
        std::fprintf(stderr, "publish keygen: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", ToHex(*publicKey).c_str());
    return 0;
}
