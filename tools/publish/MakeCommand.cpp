// publish make. The mirror is built in a folder beside the target and swapped
// in with renames, so a refused or failed run never leaves a half-written
// mirror where a launcher could fetch it.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "tools/publish/Commands.h"
#include "tools/publish/FileText.h"
#include "tools/publish/KeyFile.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/ReleaseScan.h"
#include "tools/publish/ReleaseSigning.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: publish make RELEASE_DIR MIRROR_DIR --display-version TEXT [--stamp STAMP]\n"
    "                    [--name-encoding utf-8|gbk]\n"
    "                    [--sign KEYFILE --release N [--expires DAYS]]\n"
    "\n"
    "Writes MIRROR_DIR/ver.html (the display version, a line feed and the stamp),\n"
    "MIRROR_DIR/file.html (path, size and MD5 of every file, scrambled, one field a\n"
    "line) and a copy of every file under MIRROR_DIR/plaza/. The stamp is 20\n"
    "characters without white space; by default it is derived from the content.\n"
    "An existing MIRROR_DIR is replaced only once the new mirror is complete.\n"
    "Names are listed in GBK, the launcher's code page. Outside Windows the names\n"
    "on disk are read as UTF-8 (or as GBK with --name-encoding gbk), and the\n"
    "copies under plaza/ carry the GBK names the launcher asks for.\n"
    "With --sign, also writes MIRROR_DIR/release.sig: release number N (give each\n"
    "release a higher one), an expiry DAYS from now (default 30), the SHA-256 of\n"
    "ver.html, file.html and every file, signed with the key from publish keygen.\n"
    "Sign again before the expiry, or launchers built with the key refuse it.\n";

constexpr int kDefaultExpiryDays = 30;

struct MakeOptions {
    fs::path release;
    fs::path mirror;
    std::string display;
    std::string stamp;
    NameEncoding names = NameEncoding::Utf8;
    std::string keyFile;
    std::string releaseNumber;
    std::string expiresDays;
};

bool ParseOptions(const Args& args, MakeOptions& options) {
    std::vector<std::string> positional;
    bool haveDisplay = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--display-version" && hasValue) {
            options.display = args[++i];
            haveDisplay = true;
        } else if (args[i] == "--stamp" && hasValue) {
            options.stamp = args[++i];
        } else if (args[i] == "--sign" && hasValue) {
            options.keyFile = args[++i];
        } else if (args[i] == "--release" && hasValue) {
            options.releaseNumber = args[++i];
        } else if (args[i] == "--expires" && hasValue) {
            options.expiresDays = args[++i];
        } else if (ParseNameEncoding(args, i, options.names)) {
            continue;
        } else if (args[i].rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2 || !haveDisplay)
        return false;
    options.release = FromNarrow(positional[0]);
    options.mirror = FromNarrow(positional[1]);
    return true;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    const fs::path relative =
        fs::weakly_canonical(inner).lexically_relative(fs::weakly_canonical(outer));
    return !relative.empty() && *relative.begin() != "..";
}

// Every reason to refuse the run before anything is written.
std::vector<std::string> CheckOptions(const MakeOptions& options) {
    std::vector<std::string> problems;
    if (options.display.find_first_of("\r\n") != std::string::npos) {
        problems.push_back("the display version contains a line break");
    }
    if (!options.stamp.empty() &&
        (options.stamp.size() != kVersionStampLength ||
         options.stamp.find_first_of(" \t\r\n\v\f") != std::string::npos)) {
        problems.push_back("the stamp must be 20 characters without white space");
    }
    const auto isNumber = [](const std::string& text, size_t digits) {
        return !text.empty() && text.size() <= digits &&
               text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (options.keyFile.empty() != options.releaseNumber.empty()) {
        problems.push_back("--sign and --release go together");
    } else if (!options.releaseNumber.empty() && !isNumber(options.releaseNumber, 18)) {
        problems.push_back("the release number must be a whole number of at most 18 digits");
    }
    if (!options.expiresDays.empty() &&
        (options.keyFile.empty() || !isNumber(options.expiresDays, 5) ||
         std::stoi(options.expiresDays) == 0)) {
        problems.push_back("--expires takes 1 to 99999 days and needs --sign");
    }
    if (!fs::is_directory(options.release)) {
        problems.push_back("release folder not found: " + ToNarrow(options.release));
        return problems;
    }
    if (IsWithin(options.mirror, options.release) || IsWithin(options.release, options.mirror)) {
        problems.push_back("the release and the mirror folders must not contain each other");
    }
    if (fs::exists(options.mirror)) {
        const bool isMirror =
            fs::exists(options.mirror / "ver.html") || fs::exists(options.mirror / "file.html");
        if (!fs::is_directory(options.mirror) || (!fs::is_empty(options.mirror) && !isMirror)) {
            problems.push_back(ToNarrow(options.mirror) +
                               " exists and is not a mirror; refusing to replace it");
        }
    }
    return problems;
}

// A folder that is removed again unless the run keeps it.
class StagingFolder {
public:
    explicit StagingFolder(fs::path path) : m_path(std::move(path)) {}
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() {
        std::error_code ignored;
        if (!m_kept)
            fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    fs::path m_path;
    bool m_kept = false;
};

fs::path Sibling(const fs::path& target, const char* suffix) {
    fs::path absolute = fs::absolute(target);
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    return absolute.parent_path() / (absolute.filename().native() + FromNarrow(suffix).native());
}

// Reads back what was written the way the launcher will, so a mirror the
// launcher would misread is never published.
bool ReadsBack(const fs::path& staging, const std::vector<ReleaseFile>& files,
               const std::string& display, const std::string& stamp) {
    const auto version = ReadFileBytes(staging / "ver.html");
    const auto list = ReadFileBytes(staging / "file.html");
    if (!version || !list)
        return false;
    const VersionText parsed = ParseVersionText(*version);
    const FileList decoded = DecodeFileList(*list);
    if (parsed.display != display || parsed.stamp != stamp)
        return false;
    if (decoded.unfinishedName || decoded.files.size() != files.size())
        return false;
    for (size_t i = 0; i < files.size(); ++i) {
        const ListedFile& want = files[i].entry;
        const ListedFile& got = decoded.files[i];
        if (got.name != want.name || got.size != want.size || got.md5 != want.md5)
            return false;
    }
    return true;
}

void WriteMirror(const fs::path& staging, const std::vector<ReleaseFile>& files,
                 const std::string& listText, const std::string& versionText,
                 const std::string& releaseSig) {
    fs::create_directories(staging / "plaza");
    for (const ReleaseFile& file : files) {
        const fs::path target =
            ListedFilePath(staging / "plaza", file.entry.name, NameEncoding::Gbk);
        fs::create_directories(target.parent_path());
        fs::copy_file(file.source, target);
    }
    if (!WriteFileBytes(staging / "file.html", listText) ||
        !WriteFileBytes(staging / "ver.html", versionText) ||
        (!releaseSig.empty() && !WriteFileBytes(staging / kReleaseSigName, releaseSig))) {
        throw std::runtime_error("cannot write the mirror's text files");
    }
}

// Puts the staged mirror in place of the old one, restoring the old one if
// the second rename fails.
void SwapIn(StagingFolder& staging, const fs::path& mirror) {
    const fs::path old = Sibling(mirror, ".publish-old");
    const bool replacing = fs::exists(mirror);
    fs::remove_all(old);  // left by a run that was killed half-way
    if (replacing)
        fs::rename(mirror, old);
    std::error_code error;
    fs::rename(staging.path(), mirror, error);
    if (error) {
        if (replacing)
            fs::rename(old, mirror);
        throw fs::filesystem_error("cannot move the new mirror into place", staging.path(), mirror,
                                   error);
    }
    staging.Keep();
    if (replacing)
        fs::remove_all(old, error);
}

int Refuse(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems)
        std::fprintf(stderr, "publish make: %s\n", problem.c_str());
    std::fprintf(stderr, "publish make: nothing was written\n");
    return 1;
}

}  // namespace

int RunMake(const Args& args) {
    MakeOptions options;
    if (auto exit = UsageExit(args, kUsage, ParseOptions(args, options)))
        return *exit;
    if (auto problems = CheckOptions(options); !problems.empty())
        return Refuse(problems);

    ReleaseScan scan = ScanRelease(options.release, options.names);
    if (!scan.problems.empty())
        return Refuse(scan.problems);
    std::vector<ListedFile> entries;
    int64_t totalBytes = 0;
    for (const ReleaseFile& file : scan.files) {
        entries.push_back(file.entry);
        totalBytes += file.entry.size;
    }
    const std::optional<std::string> listText = EncodeFileList(entries);
    if (!listText)
        return Refuse({"a listed field cannot be scrambled"});
    const std::string stamp = options.stamp.empty() ? StampFromContent(scan.files) : options.stamp;
    const std::string versionText = FormatVersionText(options.display, stamp);
    std::string releaseSig;
    if (!options.keyFile.empty()) {
        std::string error;
        const auto secretKey = ReadKeyFile(options.keyFile, error);
        if (!secretKey)
            return Refuse({error});
        const int days =
            options.expiresDays.empty() ? kDefaultExpiryDays : std::stoi(options.expiresDays);
        const SigningRequest request{
            *secretKey, std::stoull(options.releaseNumber),
            static_cast<int64_t>(std::time(nullptr)) + static_cast<int64_t>(days) * 86400};
        releaseSig = MakeReleaseSig(request, scan.files, versionText, *listText, error);
        if (releaseSig.empty())
            return Refuse({error});
    }

    StagingFolder staging(Sibling(options.mirror, ".publish-new"));
    fs::remove_all(staging.path());
    WriteMirror(staging.path(), scan.files, *listText, versionText, releaseSig);
    if (!ReadsBack(staging.path(), scan.files, options.display, stamp)) {
        return Refuse({"the written file list does not read back as written"});
    }
    SwapIn(staging, options.mirror);
    std::printf("published %zu files (%lld bytes) as stamp %s to %s\n", scan.files.size(),
                static_cast<long long>(totalBytes), stamp.c_str(),
                ToNarrow(options.mirror).c_str());
    if (!releaseSig.empty())
        std::printf("signed as release %s\n", options.releaseNumber.c_str());
    return 0;
}
