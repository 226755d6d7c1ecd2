#include <cstdio>

#include "identity/Md5.h"
#include "tools/publish/Commands.h"

namespace {

const char kUsage[] =
    "usage: publish md5 FILE...\n"
    "\n"
    "Prints the MD5 of each file in md5sum's format, with the digest code the\n"
    "launcher uses to check its installation.\n";

// md5sum marks a name holding a backslash or a line break with a leading
// backslash and escapes those characters.
void PrintLine(const std::string& digest, const std::string& name) {
    if (name.find_first_of("\\\n\r") == std::string::npos) {
        std::printf("%s  %s\n", digest.c_str(), name.c_str());
        return;
    }
    std::string escaped;
    for (char c : name) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else
            escaped += c;
    }
    std::printf("\\%s  %s\n", digest.c_str(), escaped.c_str());
}

}  // namespace

int RunMd5(const Args& args) {
    if (auto exit = UsageExit(args, kUsage, !args.empty()))
        return *exit;
    int status = 0;
    for (const std::string& name : args) {
        const std::string digest = Md5OfFile(name);
        if (digest == kMd5FileOpenFailed) {
            std::fprintf(stderr, "publish md5: %s: cannot open\n", name.c_str());
            status = 1;
            continue;
        }
        PrintLine(digest, name);
    }
    return status;
}
