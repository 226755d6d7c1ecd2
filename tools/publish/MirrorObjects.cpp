#include "tools/publish/MirrorObjects.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <numeric>
#include <optional>
#include <set>

#include "tools/publish/FileDigestCopy.h"
#include "tools/publish/FileText.h"
#include "tools/publish/NativePath.h"
#include "tools/publish/Parallel.h"
#include "tools/publish/ZstdDecode.h"
#include "tools/publish/ZstdEncode.h"
#include "update/format/FileDigests.h"

namespace fs = std::filesystem;

namespace {

using PairKey = std::pair<std::string, std::string>;  // new md5, old md5

// Feeds a running total of one file's bytes to the progress as increments.
class FileTicks {
public:
    FileTicks(Progress& progress, uint64_t size) : m_progress(progress), m_size(size) {}
    FileTicks(const FileTicks&) = delete;
    FileTicks& operator=(const FileTicks&) = delete;
    ~FileTicks() { Tick(m_size); }  // the rest, once the file is done with
    void Tick(uint64_t done) {
        done = std::min(done, m_size);
        if (done > m_reported) {
            m_progress.AddBytes(done - m_reported);
            m_reported = done;
        }
    }
    CompressProgress Callback() {
        return [this](uint64_t done) { Tick(done); };
    }

private:
    Progress& m_progress;
    uint64_t m_size;
    uint64_t m_reported = 0;
};

// What reading one staged file back gave.
struct CopyOutcome {
    std::optional<FileFacts> facts;  // what was read
    std::optional<uint64_t> object;  // the size of its zst/ object, when listed
    std::string problem;             // the release is unusable when set
};

// One patch to make: the first old mirror that holds the old file.
struct PatchTask {
    PairKey key;
    fs::path oldMirror;
    ListedFile old;
    ListedFile now;
};

class ObjectMaker {
public:
    ObjectMaker(const ObjectSources& sources, std::vector<std::string>& problems)
        : m_sources(sources), m_problems(problems), m_progress(*sources.progress) {
        fs::create_directories(sources.staging / "zst");
        fs::create_directories(sources.staging / "patch");
    }

    // Reads every staged copy back, on every thread. The first file of each
    // content makes its compressed copy unless the mirror holds it already.
    void CompressAll(const std::vector<ReleaseFile>& files) {
        std::vector<bool> makes(files.size());
        std::set<std::string> seen;
        uint64_t bytes = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            makes[i] = (files[i].entry.size > 0 || kPlainFileObject == PlainFileObject::Stored) &&
                       seen.insert(files[i].entry.md5).second;
            bytes += static_cast<uint64_t>(files[i].entry.size);
        }
        // The largest first, so that the last thread to finish is not the one
        // that drew the largest file.
        std::vector<size_t> order(files.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return files[a].entry.size > files[b].entry.size;
        });
        std::vector<CopyOutcome> outcomes(files.size());
        m_progress.Start("compressing", files.size(), bytes);
        ForEachIndex(files.size(), m_sources.jobs, [&](size_t n) {
            const size_t i = order[n];
            outcomes[i] = makes[i] ? MakeCopy(files[i]) : ReadBack(files[i]);
            m_progress.FileDone();
        });
        m_progress.Finish();
        for (size_t i = 0; i < files.size(); ++i) {
            const ReleaseFile& file = files[i];
            const CopyOutcome& outcome = outcomes[i];
            const FileFacts& facts = outcome.facts.value_or(FileFacts{});
            if (!outcome.problem.empty()) {
                m_problems.push_back(outcome.problem);
            } else if (!outcome.facts || facts.size != static_cast<uint64_t>(file.entry.size) ||
                       facts.md5 != file.entry.md5 || facts.sha256 != file.sha256) {
                m_problems.push_back("the copy of " + file.entry.name +
                                     " under plaza/ does not read back as it was listed and "
                                     "signed");
            }
            if (m_whole.count(file.entry.md5) == 0) {
                if (outcome.object)
                    m_objects.index.compressed[file.entry.md5] = *outcome.object;
                m_whole[file.entry.md5] =
                    outcome.object.value_or(static_cast<uint64_t>(file.entry.size));
            }
            Count(m_objects.wholeRelease, file.entry, std::nullopt);
        }
    }

    // Every patch from every old mirror, on every thread, then the totals
    // of each old mirror in the order given.
    void PatchAll(const std::vector<fs::path>& oldMirrors, const std::vector<ReleaseFile>& files) {
        std::vector<std::map<std::string, ListedFile>> olds;
        for (const fs::path& oldMirror : oldMirrors) {
            const auto text = ReadFileBytes(oldMirror / "file.html");
            if (!text)
                m_problems.push_back("cannot read " + ToNarrow(oldMirror / "file.html"));
            std::map<std::string, ListedFile>& old = olds.emplace_back();
            for (ListedFile& entry : DecodeFileList(text.value_or("")).files)
                old.emplace(entry.name, std::move(entry));
        }
        if (!m_problems.empty())
            return;
        std::vector<PatchTask> tasks;
        std::set<PairKey> planned;
        uint64_t bytes = 0;
        for (size_t m = 0; m < oldMirrors.size(); ++m) {
            for (const ReleaseFile& file : files) {
                const auto it = olds[m].find(file.entry.name);
                if (it == olds[m].end() || it->second.md5 == file.entry.md5)
                    continue;
                PairKey key{file.entry.md5, it->second.md5};
                if (!planned.insert(key).second)
                    continue;
                tasks.push_back({std::move(key), oldMirrors[m], it->second, file.entry});
                bytes += static_cast<uint64_t>(file.entry.size);
            }
        }
        std::vector<size_t> order(tasks.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return tasks[a].old.size + tasks[a].now.size > tasks[b].old.size + tasks[b].now.size;
        });
        std::vector<std::optional<uint64_t>> sizes(tasks.size());
        if (!tasks.empty()) {
            m_progress.Start("making patches", tasks.size(), bytes);
            ForEachIndex(tasks.size(), m_sources.jobs, [&](size_t n) {
                sizes[order[n]] = Patch(tasks[order[n]]);
                m_progress.FileDone();
            });
            m_progress.Finish();
        }
        std::map<PairKey, std::optional<uint64_t>> decided;
        for (size_t t = 0; t < tasks.size(); ++t) {
            decided[tasks[t].key] = sizes[t];
            if (sizes[t])
                m_objects.index.patches[tasks[t].key] = *sizes[t];
        }
        for (size_t m = 0; m < oldMirrors.size(); ++m) {
            TransferTotals totals;
            for (const ReleaseFile& file : files) {
                const auto it = olds[m].find(file.entry.name);
                if (it != olds[m].end() && it->second.md5 == file.entry.md5)
                    continue;
                std::optional<uint64_t> patch;
                if (it != olds[m].end())
                    patch = decided[{file.entry.md5, it->second.md5}];
                Count(totals, file.entry, patch);
            }
            m_objects.fromOld.emplace_back(ToNarrow(oldMirrors[m]), totals);
        }
    }

    ReleaseObjects Take() { return std::move(m_objects); }

private:
    static fs::path PlazaPath(const fs::path& root, const std::string& name) {
        return ListedFilePath(root / "plaza", name, NameEncoding::Gbk);
    }

    void Note(const std::string& text) { m_progress.Note(text); }

    // A file whose content another file of the release has: only read back.
    CopyOutcome ReadBack(const ReleaseFile& file) {
        FileTicks ticks(m_progress, static_cast<uint64_t>(file.entry.size));
        return {DigestFile(PlazaPath(m_sources.staging, file.entry.name), {}, m_sources.sha256),
                std::nullopt,
                {}};
    }

    // Reads the staged copy back through the probe, and compresses it at
    // level 19 where the probe says that can save a tenth.
    CopyOutcome MakeCopy(const ReleaseFile& file) {
        const ListedFile& entry = file.entry;
        const fs::path staged = PlazaPath(m_sources.staging, entry.name);
        const std::string object = CompressedObjectPath(entry.md5);
        const fs::path target = m_sources.staging / object;
        const auto size = static_cast<uint64_t>(entry.size);
        FileTicks ticks(m_progress, size);
        CopyOutcome outcome;
        if (const auto published = Published(object, {}, kCompressedWindowLogMax, entry.md5)) {
            outcome.facts = DigestFile(staged, {}, m_sources.sha256);
            if (Keeps(*published, size) || kPlainFileObject == PlainFileObject::Stored)
                outcome.object = published;
            return outcome;
        }
        std::string error;
        FileDigests digests;
        if (m_sources.sha256)
            digests.EnableSha256();
        if (size == 0) {
            // Nothing to probe: an empty file gets its stored frame.
            outcome.facts = DigestFile(staged, {}, m_sources.sha256);
            FileDigests none;
            outcome.object = StoreFile(staged, 0, target, none, error);
            if (!outcome.object)
                Note("no stored copy of " + entry.name + ": " + error);
            return outcome;
        }
        const uint64_t saving = size - size * kProbeKeepPercent / 100;
        const auto probe = ProbeFile(staged, size, kCompressedWindowLogMax, saving, digests, error);
        if (!probe) {
            Note("no compressed copy of " + entry.name + ": " + error);
            outcome.facts = DigestFile(staged, {}, m_sources.sha256);
            return outcome;
        }
        if (probe->readWhole)
            outcome.facts = FileFacts{digests.Length(), digests.Md5Hex(), digests.Sha256()};
        std::optional<uint64_t> copy;
        if (probe->saves) {
            // Read again from the start; the facts come from this read unless
            // the probe read every byte.
            FileDigests again;
            if (m_sources.sha256)
                again.EnableSha256();
            copy = CompressFile(staged, size, {kCompressedWindowLogMax, false, {}}, target, again,
                                error, ticks.Callback());
            if (!copy)
                Note("no compressed copy of " + entry.name + ": " + error);
            const FileFacts read{again.Length(), again.Md5Hex(), again.Sha256()};
            if (!probe->readWhole)
                outcome.facts = copy ? read : DigestFile(staged, {}, m_sources.sha256);
            else if (copy && read.md5 != outcome.facts->md5)
                outcome.problem = "the copy of " + entry.name + " under plaza/ changed while read";
            if (!copy || !Keeps(*copy, size)) {
                fs::remove(target);
                copy.reset();
            }
        }
        // The one place that decides what an incompressible file gets.
        if (!copy && kPlainFileObject == PlainFileObject::Stored) {
            FileDigests again;
            copy = StoreFile(staged, size, target, again, error);
            if (!copy)
                Note("no stored copy of " + entry.name + ": " + error);
            else if (outcome.facts && again.Md5Hex() != outcome.facts->md5)
                outcome.problem = "the copy of " + entry.name + " under plaza/ changed while read";
        }
        outcome.object = copy;
        return outcome;
    }

    static bool Keeps(uint64_t compressed, uint64_t size) {
        return compressed * 100 <= size * kCompressedKeepPercent;
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
    // Runs on any thread: reads m_whole, which is complete by then.
    std::optional<uint64_t> Patch(const PatchTask& task) {
        const ListedFile& old = task.old;
        const ListedFile& now = task.now;
        FileTicks ticks(m_progress, static_cast<uint64_t>(now.size));
        std::optional<uint64_t> result;
        const uint64_t pair = static_cast<uint64_t>(old.size) + static_cast<uint64_t>(now.size);
        if (old.size <= 0 || now.size <= 0 || pair > kPatchPairCap)
            return result;
        const fs::path oldPath = PlazaPath(task.oldMirror, old.name);
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
        const uint64_t whole = m_whole.at(now.md5);
        std::optional<uint64_t> size = Published(object, *base, kPatchWindowLogMax, now.md5);
        if (!size) {
            FileDigests ignored;
            std::string error;
            size = CompressFile(PlazaPath(m_sources.staging, now.name),
                                static_cast<uint64_t>(now.size), {windowLog, true, *base},
                                m_sources.staging / object, ignored, error, ticks.Callback());
            if (!size || *size * 100 >= whole * kPatchKeepPercent)
                fs::remove(m_sources.staging / object);
            if (!size)
                Note("no patch for " + now.name + " from " + ToNarrow(oldPath) + ": " + error);
        }
        if (size && *size * 100 < whole * kPatchKeepPercent)
            result = size;
        return result;
    }

    const ObjectSources& m_sources;
    std::vector<std::string>& m_problems;
    Progress& m_progress;
    ReleaseObjects m_objects;
    std::map<std::string, uint64_t> m_whole;  // md5 -> bytes fetched without a patch
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
    maker.CompressAll(files);
    if (problems.empty())
        maker.PatchAll(sources.oldMirrors, files);
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
