// publish make. The release is built and checked in a folder beside the
// mirror, then moved in file by file, ver.html last, so a refused or failed
// run never leaves a half-written release where a launcher could fetch it.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "tools/publish/Commands.h"
#include "tools/publish/FileDigestCopy.h"
#include "tools/publish/FileText.h"
#include "tools/publish/KeyFile.h"
#include "tools/publish/MirrorInstall.h"
#include "tools/publish/MirrorObjects.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/Parallel.h"
#include "tools/publish/Progress.h"
#include "tools/publish/ReleaseHistory.h"
#include "tools/publish/ReleaseScan.h"
#include "tools/publish/ReleaseSigning.h"
#include "update/format/PatchIndex.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: publish make RELEASE_DIR MIRROR_DIR --display-version TEXT [--stamp STAMP]\n"
    "                    [--name-encoding utf-8|gbk]\n"
    "                    [--sign KEYFILE --release N [--expires DAYS]]\n"
    "                    [--patch-from OLD_MIRROR]... [--jobs N]\n"
    "\n"
    "Writes MIRROR_DIR/ver.html (the display version, a line feed and the stamp),\n"
    "MIRROR_DIR/file.html (path, size and MD5 of every file, scrambled, one field a\n"
    "line) and a copy of every file under MIRROR_DIR/plaza/. The stamp is 20\n"
    "characters without white space; by default it is derived from the content.\n"
    "An existing MIRROR_DIR keeps serving its release until the new one is\n"
    "complete: every file is moved in once written, ver.html last.\n"
    "Names are listed in GBK, the launcher's code page. Outside Windows the names\n"
    "on disk are read as UTF-8 (or as GBK with --name-encoding gbk), and the\n"
    "copies under plaza/ carry the GBK names the launcher asks for.\n"
    "With --sign, also writes MIRROR_DIR/release.sig: release number N (give each\n"
    "release a higher one), an expiry DAYS from now (default 30), the SHA-256 of\n"
    "ver.html, file.html and every file, signed with the key from publish keygen.\n"
    "Sign again before the expiry, or launchers built with the key refuse it.\n"
    "Also writes MIRROR_DIR/zst/MD5.zst, a zstd copy of every file, level 19 where\n"
    "that saves a tenth, stored as it is otherwise (a fast probe reads each file\n"
    "first: one that it shrinks by less than 3 % gets no level-19 pass), and\n"
    "MIRROR_DIR/patches.txt, which\n"
    "lists them (signed too with --sign). With --patch-from, a mirror made earlier\n"
    "by publish make, also writes MIRROR_DIR/patch/NEW-OLD.zst for every file that\n"
    "changed since, when the patch is clearly smaller than the compressed file.\n"
    "These objects never change once written: serve them to be cached for ever.\n"
    "Once the release is served, a copy of its patches.txt is kept as\n"
    "MIRROR_DIR/releases/NNNNNN.patches.txt for publish prune (launchers never\n"
    "read it).\n"
    "Files are copied, compressed and patched on N threads (--jobs; default one\n"
    "per core, fewer to spare memory), with the same output whatever N is.\n"
    "Progress goes to standard output: one updating line on a terminal, a plain\n"
    "line every half minute otherwise.\n";

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
    std::vector<fs::path> patchFrom;
    unsigned jobs = DefaultJobs();
    std::string jobsError;
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
        } else if (args[i] == "--patch-from" && hasValue) {
            options.patchFrom.push_back(FromNarrow(args[++i]));
        } else if (ParseNameEncoding(args, i, options.names) ||
                   ParseJobs(args, i, options.jobs, options.jobsError)) {
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
    if (!options.jobsError.empty())
        problems.push_back(options.jobsError);
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
    for (const fs::path& old : options.patchFrom) {
        if (!fs::is_regular_file(old / "file.html"))
            problems.push_back("not a mirror made by publish make: " + ToNarrow(old));
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

// A folder that is removed again when the run ends.
class StagingFolder {
public:
    explicit StagingFolder(fs::path path) : m_path(std::move(path)) {
        fs::remove_all(m_path);  // left by a run that was killed half-way
        fs::create_directories(m_path / "plaza");
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

fs::path Sibling(const fs::path& target, const char* suffix) {
    fs::path absolute = fs::absolute(target);
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    return absolute.parent_path() / (absolute.filename().native() + FromNarrow(suffix).native());
}

// Copies every file under the staged plaza/, taking its size and digests
// from the bytes copied; a file to a thread.
std::vector<std::string> StageFiles(const fs::path& staging, std::vector<ReleaseFile>& files,
                                    bool sha256, unsigned jobs, Progress& progress) {
    std::vector<fs::path> targets;
    uint64_t bytes = 0;
    for (const ReleaseFile& file : files) {
        targets.push_back(ListedFilePath(staging / "plaza", file.entry.name, NameEncoding::Gbk));
        fs::create_directories(targets.back().parent_path());
        std::error_code unknown;  // the size is taken from the read; this is for the progress
        const uintmax_t size = fs::file_size(file.source, unknown);
        bytes += unknown ? 0 : size;
    }
    std::vector<char> failed(files.size());  // not vector<bool>: one element to a thread
    progress.Start("copying", files.size(), bytes);
    ForEachIndex(files.size(), jobs, [&](size_t i) {
        ReleaseFile& file = files[i];
        const auto facts = DigestFile(file.source, targets[i], sha256,
                                      [&](uint64_t read) { progress.AddBytes(read); });
        progress.FileDone();
        if (!facts) {
            failed[i] = true;
            return;
        }
        file.entry.size = static_cast<int64_t>(facts->size);
        file.entry.md5 = facts->md5;
        file.sha256 = facts->sha256;
    });
    progress.Finish();
    std::vector<std::string> problems;
    for (size_t i = 0; i < files.size(); ++i) {
        if (failed[i])
            problems.push_back("cannot copy " + ToNarrow(files[i].source) + " to " +
                               ToNarrow(targets[i]));
    }
    return problems;
}

// Reads back what was written the way the launcher will, so a mirror the
// launcher would misread is never published.
bool ReadsBack(const fs::path& staging, const std::vector<ReleaseFile>& files,
               const std::string& display, const std::string& stamp) {
    const auto version = ReadFileBytes(staging / "ver.html");
    const auto list = ReadFileBytes(staging / "file.html");
    const auto index = ReadFileBytes(staging / kPatchIndexName);
    if (!version || !list || !index || !ParsePatchIndex(*index, {}))
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

int Refuse(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems)
        std::fprintf(stderr, "publish make: %s\n", problem.c_str());
    std::fprintf(stderr, "publish make: nothing was written\n");
    return 1;
}

struct Texts {
    std::string list;
    std::string version;
    std::string releaseSig;  // empty when not signing
    std::string patchIndex;
};

// The texts of the release; an empty `error` when they were made.
Texts MakeTexts(const MakeOptions& options, const ReleaseSecretKey* secretKey,
                const std::vector<ReleaseFile>& files, const std::string& stamp, PatchIndex index,
                std::string& error) {
    std::vector<ListedFile> entries;
    for (const ReleaseFile& file : files)
        entries.push_back(file.entry);
    Texts texts;
    const std::optional<std::string> list = EncodeFileList(entries);
    if (!list) {
        error = "a listed field cannot be scrambled";
        return texts;
    }
    texts.list = *list;
    texts.version = FormatVersionText(options.display, stamp);
    index.stamp = stamp;
    texts.patchIndex = FormatPatchIndex(index);
    if (!secretKey)
        return texts;
    const int days =
        options.expiresDays.empty() ? kDefaultExpiryDays : std::stoi(options.expiresDays);
    const SigningRequest request{
        *secretKey, std::stoull(options.releaseNumber),
        static_cast<int64_t>(std::time(nullptr)) + static_cast<int64_t>(days) * 86400};
    texts.releaseSig = MakeReleaseSig(request, files, texts.version, texts.list, error);
    texts.patchIndex = AppendSignature(texts.patchIndex, *secretKey);
    return texts;
}

}  // namespace

int RunMake(const Args& args) {
    MakeOptions options;
    if (auto exit = UsageExit(args, kUsage, ParseOptions(args, options)))
        return *exit;
    if (auto problems = CheckOptions(options); !problems.empty())
        return Refuse(problems);
    std::string error;
    std::optional<ReleaseSecretKey> secretKey;
    if (!options.keyFile.empty()) {
        secretKey = ReadKeyFile(options.keyFile, error);
        if (!secretKey)
            return Refuse({error});
    }
    ReleaseScan scan = ScanRelease(options.release, options.names);
    if (!scan.problems.empty())
        return Refuse(scan.problems);

    const bool signing = secretKey.has_value();
    StagingFolder staging(Sibling(options.mirror, ".publish-new"));
    Progress progress;
    if (auto problems = StageFiles(staging.path(), scan.files, signing, options.jobs, progress);
        !problems.empty())
        return Refuse(problems);
    std::vector<std::string> problems;
    const ReleaseObjects objects = MakeObjects(
        {staging.path(), options.mirror, options.patchFrom, signing, options.jobs, &progress},
        scan.files, problems);
    if (!problems.empty())
        return Refuse(problems);

    const std::string stamp = options.stamp.empty() ? StampFromContent(scan.files) : options.stamp;
    const Texts texts = MakeTexts(options, secretKey ? &*secretKey : nullptr, scan.files, stamp,
                                  objects.index, error);
    if (!error.empty())
        return Refuse({error});
    if (!WriteFileBytes(staging.path() / "file.html", texts.list) ||
        !WriteFileBytes(staging.path() / "ver.html", texts.version) ||
        !WriteFileBytes(staging.path() / kPatchIndexName, texts.patchIndex) ||
        (signing && !WriteFileBytes(staging.path() / kReleaseSigName, texts.releaseSig))) {
        return Refuse({"cannot write the mirror's text files"});
    }
    if (!ReadsBack(staging.path(), scan.files, options.display, stamp))
        return Refuse({"the written file list does not read back as written"});
    try {
        InstallRelease(staging.path(), options.mirror);
    } catch (const fs::filesystem_error& e) {
        // ver.html still names the old release, whose texts launchers read;
        // some of its files may already be the new ones.
        std::fprintf(stderr,
                     "publish make: moving the release in stopped half-way: %s\n"
                     "publish make: ver.html still names the old release; run make again\n",
                     e.what());
        return 1;
    }
    try {
        RecordRelease(options.mirror, texts.patchIndex, stamp);
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr,
                     "publish make: the release is served, but its record under %s/ was not "
                     "written (%s): publish prune would not count it; run make again\n",
                     kReleaseHistoryFolder, e.what());
        return 1;
    }

    PrintTransferTable(objects);
    std::printf("published %zu files (%llu bytes) as stamp %s to %s\n", scan.files.size(),
                static_cast<unsigned long long>(objects.wholeRelease.fullBytes), stamp.c_str(),
                ToNarrow(options.mirror).c_str());
    if (signing)
        std::printf("signed as release %s\n", options.releaseNumber.c_str());
    return 0;
}
