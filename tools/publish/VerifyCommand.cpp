// publish verify and verify-install: every listed file must be present below
// a root folder with the listed size and digest.
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "identity/Md5.h"
#include "tools/publish/Commands.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/PatchIndexCheck.h"
#include "update/format/MirrorFormat.h"
#include "update/format/ReleaseSignature.h"
#include "update/format/Sha256File.h"

namespace fs = std::filesystem;

namespace {

const char kVerifyUsage[] =
    "usage: publish verify MIRROR_DIR [--key PUBHEX]\n"
    "\n"
    "Checks MIRROR_DIR/ver.html and that every file listed in MIRROR_DIR/file.html\n"
    "is under MIRROR_DIR/plaza/ with the listed size and MD5. With --key, also\n"
    "checks MIRROR_DIR/release.sig as the launcher does: signed by that key, not\n"
    "expired, the SHA-256 of both texts and of every file as signed. When there\n"
    "is a MIRROR_DIR/patches.txt, checks that it is for the stamp of ver.html\n"
    "(and signed by the key), that every object it lists is there with the listed\n"
    "size, and that every compressed copy decodes to its file. Names every\n"
    "problem; exit code 1 when any was found.\n";

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

void CheckFile(const fs::path& root, NameEncoding encoding, const ListedFile& file,
               const ReleaseManifest* signedFiles, int& problems) {
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
        return;
    }
    if (!signedFiles)
        return;
    const Sha256Digest* signedDigest = FindSignedFile(*signedFiles, file.name);
    const auto sha256 = Sha256OfFile(ToNarrow(path));
    if (!signedDigest || !sha256 || *sha256 != *signedDigest)
        Report(problems, "SHA256  " + file.name + ": not as signed");
}

int CheckList(const char* command, const fs::path& root, NameEncoding encoding,
              const fs::path& listPath, int problems,
              const ReleaseManifest* signedFiles = nullptr) {
    const auto text = ReadFileBytes(listPath);
    if (!text) {
        std::fprintf(stderr, "publish %s: cannot read %s\n", command, ToNarrow(listPath).c_str());
        return 1;
    }
    const FileList list = DecodeFileList(*text);
    std::vector<std::string_view> names;
    for (const ListedFile& file : list.files)
        names.push_back(file.name);
    const std::vector<bool> colliding = FindFoldedCollisions(names);
    for (size_t i = 0; i < list.files.size(); ++i) {
        if (colliding[i])
            Report(
                problems,
                "CASE    " + list.files[i].name +
                    ": one file on Windows with another, or a file where another needs a folder");
        CheckFile(root, encoding, list.files[i], signedFiles, problems);
    }
    if (list.unfinishedName)
        Report(problems, "CUT     " + *list.unfinishedName);
    std::printf("%zu files checked, %d problem%s\n", list.files.size(), problems,
                problems == 1 ? "" : "s");
    return problems == 0 ? 0 : 1;
}

}  // namespace

// release.sig as a launcher built with `key` would take it (no release seen
// before); fills `manifest` when it is accepted.
bool CheckReleaseSig(const fs::path& mirror, const std::string& keyHex, const std::string& version,
                     ReleaseManifest& manifest, int& problems) {
    const auto key = FromHex<32>(keyHex);
    if (!key) {
        Report(problems, "KEY     the public key must be 64 hex digits");
        return false;
    }
    const auto sig = ReadFileBytes(mirror / kReleaseSigName);
    if (!sig) {
        Report(problems, "SIGNED  release.sig is missing");
        return false;
    }
    SignedRelease release;
    ReleaseVerdict verdict = VerifyRelease(*sig, {*key}, std::time(nullptr), 0, version, release);
    if (verdict == ReleaseVerdict::Accepted) {
        const auto list = ReadFileBytes(mirror / "file.html");
        verdict = CheckSignedFileList(release.manifest, list ? *list : std::string());
    }
    if (verdict != ReleaseVerdict::Accepted) {
        Report(problems,
               std::string("SIGNED  release.sig refused: ") + ReleaseVerdictReason(verdict));
        return false;
    }
    std::printf("release %llu, expires %s\n",
                static_cast<unsigned long long>(release.manifest.release),
                FormatUtc(release.manifest.expires).c_str());
    manifest = std::move(release.manifest);
    return true;
}

int RunVerify(const Args& args) {
    std::string keyHex;
    std::vector<std::string> positional;
    bool wordsFit = true;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size())
            keyHex = args[++i];
        else if (args[i].rfind("--", 0) == 0)
            wordsFit = false;
        else
            positional.push_back(args[i]);
    }
    if (auto exit = UsageExit(args, kVerifyUsage, wordsFit && positional.size() == 1))
        return *exit;
    const fs::path mirror = FromNarrow(positional[0]);
    int problems = 0;
    const auto version = ReadFileBytes(mirror / "ver.html");
    const std::string stamp = version ? ParseVersionText(*version).stamp : std::string();
    if (stamp.size() != kVersionStampLength ||
        stamp.find_first_of(" \t\r\n\v\f") != std::string::npos) {
        Report(problems, "VERSION ver.html is missing or does not end in a 20-character stamp");
    }
    ReleaseManifest manifest;
    const bool signedOk = !keyHex.empty() &&
                          CheckReleaseSig(mirror, keyHex, version.value_or(""), manifest, problems);
    std::vector<ReleasePublicKey> keys;
    if (const auto key = FromHex<32>(keyHex))
        keys.push_back(*key);
    if (keyHex.empty() || !keys.empty()) {
        for (const std::string& problem : CheckPatchIndex(mirror, keys, stamp))
            Report(problems, problem);
    }
    return CheckList("verify", mirror / "plaza", NameEncoding::Gbk, mirror / "file.html", problems,
                     signedOk ? &manifest : nullptr);
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
