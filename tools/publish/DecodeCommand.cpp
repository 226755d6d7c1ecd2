#include <cstdio>

#include "tools/publish/Commands.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "update/format/MirrorFormat.h"

namespace {

const char kUsage[] =
    "usage: publish decode FILE_HTML\n"
    "\n"
    "Prints the file list as the launcher reads it, one file a line:\n"
    "NAME<TAB>SIZE<TAB>MD5. Entries the launcher would not accept are named on\n"
    "standard error and make the exit code 1.\n";

bool IsDigest(const std::string& text) {
    return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

int RunDecode(const Args& args) {
    if (auto exit = UsageExit(args, kUsage, args.size() == 1))
        return *exit;
    const auto text = ReadFileBytes(FromNarrow(args[0]));
    if (!text) {
        std::fprintf(stderr, "publish decode: cannot read %s\n", args[0].c_str());
        return 1;
    }
    const FileList list = DecodeFileList(*text);
    int problems = 0;
    for (size_t i = 0; i < list.files.size(); ++i) {
        const ListedFile& file = list.files[i];
        std::printf("%s\t%lld\t%s\n", file.name.c_str(), static_cast<long long>(file.size),
                    file.md5.c_str());
        if (!IsSafeListedName(file.name) || !IsDigest(file.md5)) {
            std::fprintf(stderr, "publish decode: entry %zu has an unusable name or digest\n",
                         i + 1);
            ++problems;
        }
    }
    if (list.unfinishedName) {
        std::fprintf(stderr, "publish decode: the list ends in the middle of the entry for '%s'\n",
                     list.unfinishedName->c_str());
        ++problems;
    }
    return problems == 0 ? 0 : 1;
}
