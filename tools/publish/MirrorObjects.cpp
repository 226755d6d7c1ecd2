#include "tools/publish/MirrorObjects.h"

#include <cstdio>
#include <map>
#include <new>
#include <optional>

#include "tools/publish/FileDigestCopy.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/ZstdDecode.h"
#include "tools/publish/ZstdEncode.h"
#include "update/format/FileDigests.h"

namespace fs = std::filesystem;

namespace {

using PairKey = std::pair<std::string, std::string>;  // new md5, old md5

void Note(const std::string& text) {
    std::fprintf(stderr, "publish make: %s\n", text.c_str());
}

class ObjectMaker {
public:
    ObjectMaker(const ObjectSources& sources, std::vector<std::string>& problems)
        : m_sources(sources), m_problems(problems) {
        fs::create_directories(sources.staging / "zst");
        fs::create_directories(sources.staging / "patch");
    }

    // Reads the staged copy back, compressing it on the way unless the
    // mirror holds its compressed copy already.
    void Compress(const ReleaseFile& file) {
        const ListedFile& entry = file.entry;
        const fs::path staged = PlazaPath(m_sources.staging, entry.name);
        const std::string object = CompressedObjectPath(entry.md5);
        const auto size = static_cast<uint64_t>(entry.size);
        std::optional<uint64_t> compressed;
        std::optional<FileFacts> facts;
        if (m_whole.count(entry.md5) != 0) {
            facts = DigestFile(staged, {}, m_sources.sha256);
        } else if ((compressed = Published(object, {}, kCompressedWindowLogMax, entry.md5))) {
            facts = DigestFile(staged, {}, m_sources.sha256);
        } else {
            FileDigests digests;
            if (m_sources.sha256)
                digests.EnableSha256();
            std::string error;
            const fs::path target = m_sources.staging / object;
            compressed = CompressFile(staged, size, {kCompressedWindowLogMax, false, {}}, target,
                                      digests, error);
            if (compressed) {
                facts = FileFacts{digests.Length(), digests.Md5Hex(), digests.Sha256()};
            } else {
                Note("no compressed copy of " + entry.name + ": " + error);
                fs::remove(target);
                facts = DigestFile(staged, {}, m_sources.sha256);
            }
        }
        if (!facts || facts->size != size || facts->md5 != entry.md5 ||
            facts->sha256 != file.sha256) {
            m_problems.push_back("the copy of " + entry.name +
                                 " under plaza/ does not read back as it was listed and signed");
        }
        // Every file gets its copy, even one that does not compress (zstd
        // then stores it in raw blocks, a few bytes over the file) or is
        // empty: a launcher that reads the index then never asks for a
        // plaza/ name, which the next release may fill with other bytes and
        // which a cache that keys on the path would keep serving.
        if (m_whole.count(entry.md5) == 0) {
            if (compressed)
                m_objects.index.compressed[entry.md5] = *compressed;
            m_whole[entry.md5] = compressed.value_or(size);
        }
        Count(m_objects.wholeRelease, entry, std::nullopt);
    }

    void PatchFrom(const fs::path& oldMirror, const std::vector<ReleaseFile>& files) {
        const auto text = ReadFileBytes(oldMirror / "file.html");
        if (!text) {
            m_problems.push_back("cannot read " + ToNarrow(oldMirror / "file.html"));
            return;
        }
        std::map<std::string, ListedFile> old;
        for (ListedFile& entry : DecodeFileList(*text).files)
            old.emplace(entry.name, std::move(entry));
        TransferTotals totals;
        for (const ReleaseFile& file : files) {
            const auto it = old.find(file.entry.name);
            if (it != old.end() && it->second.md5 == file.entry.md5)
                continue;
            std::optional<uint64_t> patch;
            if (it != old.end())
                patch = Patch(oldMirror, it->second, file.entry);
            Count(totals, file.entry, patch);
        }
        m_objects.fromOld.emplace_back(ToNarrow(oldMirror), totals);
    }

    ReleaseObjects Take() { return std::move(m_objects); }

private:
    static fs::path PlazaPath(const fs::path& root, const std::string& name) {
        return ListedFilePath(root / "plaza", name, NameEncoding::Gbk);
    }

    // The size of an object the mirror holds already, when it decodes to the
    // file it is named after. Published objects are never written again:
    // caches may hold them for ever. A damaged one is made again.
    std::optional<uint64_t> Published(const std::string& object, std::string_view prefix,
                                      int windowLogMax, const std::string& md5) const {
        const fs::path path = m_sources.mirror / object;
        std::error_code error;
        const uint64_t size = fs::file_size(path, error);
        if (error || DecodedMd5(path, prefix, windowLogMax) != md5)
            return std::nullopt;
        return size;
    }

    void Count(TransferTotals& totals, const ListedFile& entry, std::optional<uint64_t> patch) {
        const uint64_t whole = m_whole[entry.md5];
        ++totals.files;
        totals.fullBytes += static_cast<uint64_t>(entry.size);
        totals.compressedBytes += whole;
        totals.patchBytes += patch.value_or(0);
        totals.movedBytes += patch.value_or(whole);
    }

    // The size of the patch old -> new that the release offers, if any.
    std::optional<uint64_t> Patch(const fs::path& oldMirror, const ListedFile& old,
                                  const ListedFile& now) {
        const PairKey key{now.md5, old.md5};
        if (const auto decided = m_decided.find(key); decided != m_decided.end())
            return decided->second;
        std::optional<uint64_t>& result = m_decided[key];
        const uint64_t pair = static_cast<uint64_t>(old.size) + static_cast<uint64_t>(now.size);
        if (old.size <= 0 || now.size <= 0 || pair > kPatchPairCap)
            return result;
        const fs::path oldPath = PlazaPath(oldMirror, old.name);
        std::optional<std::string> base;
        try {
            base = ReadFileBytes(oldPath);
        } catch (const std::bad_alloc&) {
            Note("no patch from " + ToNarrow(oldPath) + ": out of memory");
            return result;
        }
        FileDigests baseDigests;
        if (base)
            baseDigests.Update(reinterpret_cast<const uint8_t*>(base->data()), base->size());
        if (!base || baseDigests.Md5Hex() != old.md5) {
            Note("no patch from " + ToNarrow(oldPath) + ": it is not as its list says");
            return result;
        }
        const std::string object = PatchObjectPath(now.md5, old.md5);
        const int windowLog = WindowLogFor(pair, kPatchWindowLogMax);
        std::optional<uint64_t> size = Published(object, *base, kPatchWindowLogMax, now.md5);
        if (!size) {
            FileDigests ignored;
            std::string error;
            size = CompressFile(PlazaPath(m_sources.staging, now.name),
                                static_cast<uint64_t>(now.size), {windowLog, true, *base},
                                m_sources.staging / object, ignored, error);
            if (!size || *size * 100 >= m_whole[now.md5] * kPatchKeepPercent)
                fs::remove(m_sources.staging / object);
            if (!size)
                Note("no patch for " + now.name + " from " + ToNarrow(oldPath) + ": " + error);
        }
        if (size && *size * 100 < m_whole[now.md5] * kPatchKeepPercent) {
            m_objects.index.patches[key] = *size;
            result = size;
        }
        return result;
    }

    const ObjectSources& m_sources;
    std::vector<std::string>& m_problems;
    ReleaseObjects m_objects;
    std::map<std::string, uint64_t> m_whole;  // md5 -> bytes fetched without a patch
    std::map<PairKey, std::optional<uint64_t>> m_decided;
};

void PrintRow(const char* what, const TransferTotals& totals) {
    const double ratio = totals.fullBytes == 0 ? 0.0 : 100.0 * totals.movedBytes / totals.fullBytes;
    std::printf("%-12s %7zu %14llu %14llu %14llu %7.2f%%\n", what, totals.files,
                static_cast<unsigned long long>(totals.fullBytes),
                static_cast<unsigned long long>(totals.compressedBytes),
                static_cast<unsigned long long>(totals.patchBytes), ratio);
}

}  // namespace

ReleaseObjects MakeObjects(const ObjectSources& sources, const std::vector<ReleaseFile>& files,
                           std::vector<std::string>& problems) {
    ObjectMaker maker(sources, problems);
    for (const ReleaseFile& file : files)
        maker.Compress(file);
    for (const fs::path& old : sources.oldMirrors)
        maker.PatchFrom(old, files);
    return maker.Take();
}

void PrintTransferTable(const ReleaseObjects& objects) {
    std::printf("%-12s %7s %14s %14s %14s %8s\n", "", "files", "full bytes", "compressed",
                "patch bytes", "ratio");
    PrintRow("release", objects.wholeRelease);
    for (size_t i = 0; i < objects.fromOld.size(); ++i) {
        const std::string label = "changed [" + std::to_string(i + 1) + "]";
        PrintRow(label.c_str(), objects.fromOld[i].second);
    }
    for (size_t i = 0; i < objects.fromOld.size(); ++i)
        std::printf("[%zu] files new or changed since %s\n", i + 1,
                    objects.fromOld[i].first.c_str());
    std::printf(
        "ratio: bytes a launcher fetches (patch, else compressed copy, else the file)"
        " against the full files\n");
}
