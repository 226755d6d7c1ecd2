// publish verify and verify-install: every listed file must be present below
// a root folder with the listed size and digest.
#include <cstdio>
#include <filesystem>

#include "identity/Md5.h"
#include "tools/publish/Commands.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "update/MirrorFormat.h"

namespace fs = std::filesystem;

namespace {

const char kVerifyUsage[] =
    "usage: publish verify MIRROR_DIR\n"
    "\n"
    "Checks MIRROR_DIR/ver.html and that every file listed in MIRROR_DIR/file.html\n"
    "is under MIRROR_DIR/plaza/ with the listed size and MD5. Names every file\n"
    "that is not; exit code 1 when any problem was found.\n";

const char kInstallUsage[] =
    "usage: publish verify-install INSTALL_DIR FILE_HTML [--name-encoding utf-8|gbk]\n"
    "\n"
    "Checks that every file listed in FILE_HTML is in INSTALL_DIR with the listed\n"
    "size and MD5, as the launcher leaves an installation after an update. Names\n"
    "every file that is not; exit code 1 when any problem was found. Outside\n"
    "Windows the names in INSTALL_DIR are read as UTF-8 unless gbk is given.\n";

void Report(int& problems, const std::string& what) {
    std::printf("%s\n", what.c_str());
    ++problems;
}

void CheckFile(const fs::path& root, NameEncoding encoding, const ListedFile& file, int& problems) {
    if (!IsSafeListedName(file.name)) {
        Report(problems, "UNSAFE  " + file.name);
        return;
    }
    const fs::path path = ListedFilePath(root, file.name, encoding);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        Report(problems, "MISSING " + file.name);
        return;
    }
    const auto size = static_cast<int64_t>(fs::file_size(path, error));
    if (error || size != file.size) {
        Report(problems, "SIZE    " + file.name + ": listed " + std::to_string(file.size) +
                             ", found " + std::to_string(size));
        return;
    }
    const std::string digest = Md5OfFile(ToNarrow(path));
    if (digest != file.md5) {
        Report(problems, "DIGEST  " + file.name + ": listed " + file.md5 + ", found " + digest);
    }
}

int CheckList(const char* command, const fs::path& root, NameEncoding encoding,
              const fs::path& listPath, int problems) {
    const auto text = ReadFileBytes(listPath);
    if (!text) {
        std::fprintf(stderr, "publish %s: cannot read %s\n", command, ToNarrow(listPath).c_str());
        return 1;
    }
    const FileList list = DecodeFileList(*text);
    for (const ListedFile& file : list.files)
        CheckFile(root, encoding, file, problems);
    if (list.unfinishedName)
        Report(problems, "CUT     " + *list.unfinishedName);
    std::printf("%zu files checked, %d problem%s\n", list.files.size(), problems,
                problems == 1 ? "" : "s");
    return problems == 0 ? 0 : 1;
}

}  // namespace

int RunVerify(const Args& args) {
    if (auto exit = UsageExit(args, kVerifyUsage, args.size() == 1))
        return *exit;
    const fs::path mirror = FromNarrow(args[0]);
    int problems = 0;
    const auto version = ReadFileBytes(mirror / "ver.html");
    const std::string stamp = version ? ParseVersionText(*version).stamp : std::string();
    if (stamp.size() != kVersionStampLength ||
        stamp.find_first_of(" \t\r\n\v\f") != std::string::npos) {
        Report(problems, "VERSION ver.html is missing or does not end in a 20-character stamp");
    }
    return CheckList("verify", mirror / "plaza", NameEncoding::Gbk, mirror / "file.html", problems);
}

int RunVerifyInstall(const Args& args) {
    std::vector<std::string> positional;
    NameEncoding encoding = NameEncoding::Utf8;
    bool wordsFit = true;
    for (size_t i = 0; i < args.size(); ++i) {
        if (ParseNameEncoding(args, i, encoding))
            continue;
        if (args[i].rfind("--", 0) == 0)
            wordsFit = false;
        positional.push_back(args[i]);
    }
    wordsFit = wordsFit && positional.size() == 2;
    if (auto exit = UsageExit(args, kInstallUsage, wordsFit))
        return *exit;
    return CheckList("verify-install", FromNarrow(positional[0]), encoding,
                     FromNarrow(positional[1]), 0);
}
