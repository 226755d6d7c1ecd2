// publish keygen: the operator's release signing key.
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
    return CreateKeyFileCommand(args[0], "publish keygen");
}
