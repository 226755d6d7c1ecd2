#include <cstdio>
#include <cstring>
#include <exception>

#include "tools/publish/Commands.h"

namespace {

const char kUsage[] =
    "usage: publish COMMAND ...\n"
    "\n"
    "  make RELEASE_DIR MIRROR_DIR --display-version TEXT [--stamp STAMP]\n"
    "       [--sign KEYFILE --release N [--expires DAYS]] [--patch-from OLD_MIRROR]...\n"
    "       [--jobs N]       write ver.html, file.html, plaza/, compressed copies\n"
    "                        and patches, patches.txt (and release.sig when signing)\n"
    "  prune MIRROR_DIR --keep N [--apply]\n"
    "                        remove the zst/ and patch/ objects that none of the\n"
    "                        last N releases name (a dry run without --apply)\n"
    "  keygen KEYFILE        make a release signing key; prints the public key\n"
    "  decode FILE_HTML      print a file list, one file per line\n"
    "  verify MIRROR_DIR [--key PUBHEX]\n"
    "                        check the files under plaza/ against the list, and\n"
    "                        patches.txt (and release.sig against the public key)\n"
    "  verify-install INSTALL_DIR FILE_HTML\n"
    "                        check an installation against a file list\n"
    "  md5 FILE...           print digests in md5sum's format\n"
    "\n"
    "Every command takes --help.\n";

struct Command {
    const char* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"make", RunMake},     {"decode", RunDecode},
    {"verify", RunVerify}, {"verify-install", RunVerifyInstall},
    {"md5", RunMd5},       {"keygen", RunKeygen},
    {"prune", RunPrune},
};

}  // namespace

std::optional<int> UsageExit(const Args& args, const char* usage, bool wordsFit) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
    }
    if (wordsFit)
        return std::nullopt;
    std::fputs(usage, stderr);
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const Args args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0)
            continue;
        try {
            return command.run(args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "publish %s: %s\n", command.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "publish: unknown command '%s'\n\n%s", argv[1], kUsage);
    return 2;
}
