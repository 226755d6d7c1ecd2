// What the install transaction of a signed release costs: a pass that
// writes its new files as .tmp (each flushed, as a download is) and then
// places them, with one move each, or with the journal and a backup rename
// per replaced file; both ways place as many files at a time as the
// transaction does. The launcher lets the player in before the commit
// deletes the backups, so the pass ends there and the commit is shown on its
// own.
// Two passes: 2,000 files of 4 KiB in 50 folders (as bench_update.py's
// release has them) and one file of 256 MiB, each replacing files that are
// there. The two ways take turns within a round; the median of the rounds
// is printed, with the median of each round's ratio of the pass with the
// journal to the pass without (at most 1.10 is the goal).
//   install_bench FOLDER [rounds] [files] [big MiB]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/ParallelFor.h"
#include "update/place/InstallTransaction.h"
#include "update/place/ReplaceFile.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WriteFlushed(const std::string& path, const std::string& block, uint64_t size) {
    const Base::UniqueKernelHandle file(::CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    for (uint64_t left = size; file && left > 0;) {
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, block.size()));
        DWORD written = 0;
        if (!::WriteFile(file.get(), block.data(), part, &written, nullptr) || written != part)
            return false;
        left -= part;
    }
    return file && ::FlushFileBuffers(file.get());
}

struct Pass {
    std::string folder;  // ends in a backslash
    std::vector<std::string> names;
    uint64_t size = 0;

    std::string Path(const std::string& name) const { return folder + name; }

    // The installation as it was before the pass: the old files only.
    bool Reset(const std::string& block) const {
        for (const std::string& name : names) {
            if (!WriteFlushed(Path(name), block, size))
                return false;
        }
        return true;
    }

    // Seconds for the .tmp files and their placing, which is what the
    // player waits for; placing gets the placing's alone, removal the
    // removal of the backups, which the launcher does once the player is let
    // in.
    double Run(bool journal, const std::string& block, double& placing, double& removal) const {
        const double start = Now();
        for (const std::string& name : names) {
            if (!WriteFlushed(Path(name) + ".tmp", block, size))
                return -1;
        }
        const double written = Now();
        std::unique_ptr<InstallTransaction> install;
        const bool placed = journal ? PlaceInstall(install) : PlacePlain();
        const double done = Now();
        placing = done - written;
        if (install)
            install->Commit(nullptr);
        removal = Now() - done;
        return placed ? done - start : -1;
    }

    bool PlacePlain() const {
        return Base::ParallelFor(names.size(), kPlacingThreads, [&](size_t i) {
            return MoveOverTarget(Path(names[i]) + ".tmp", Path(names[i]), nullptr) ==
                   ReplaceResult::Moved;
        });
    }

    bool PlaceInstall(std::unique_ptr<InstallTransaction>& install) const {
        std::vector<JournalEntry> entries;
        for (const std::string& name : names)
            entries.push_back({"\\" + name, "", true});
        install = std::make_unique<InstallTransaction>(folder, std::move(entries));
        return install->Begin(nullptr) && install->MoveAll(nullptr).result == ReplaceResult::Moved;
    }
};

bool Measure(const char* label, const Pass& pass, int rounds) {
    const std::string block(std::min<uint64_t>(pass.size, 1 << 20), 'n');
    std::vector<double> plain, journal, plainPlacing, journalPlacing, removals;
    for (int round = 0; round < rounds; ++round) {
        for (const bool withJournal : {round % 2 == 0, round % 2 != 0}) {
            if (!pass.Reset(block))
                return false;
            double placing = 0, removal = 0;
            const double seconds = pass.Run(withJournal, block, placing, removal);
            if (seconds < 0)
                return false;
            if (withJournal)
                removals.push_back(removal);
            (withJournal ? journal : plain).push_back(seconds);
            (withJournal ? journalPlacing : plainPlacing).push_back(placing);
        }
    }
    // Each round's two passes ran back to back, so their ratio is spared
    // the slow swings of a shared machine's disk that a ratio of the two
    // medians takes in.
    std::vector<double> ratios;
    for (size_t i = 0; i < plain.size(); ++i)
        ratios.push_back(journal[i] / plain[i]);
    const double without = Median(plain), with = Median(journal);
    std::printf(
        "  %-24s pass without the journal %7.3f s, with it %7.3f s, ratio %.3f "
        "(goal <= 1.10); the placing alone %.3f s and %.3f s; then, once the player is let in, "
        "the backups' removal %.3f s\n",
        label, without, with, Median(ratios), Median(plainPlacing), Median(journalPlacing),
        Median(removals));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "install_bench FOLDER [rounds] [files] [big MiB]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '\\')
        folder += '\\';
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const int files = argc > 3 ? std::atoi(argv[3]) : 2000;
    const uint64_t bigMiB = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 256;
    ::CreateDirectoryA(folder.c_str(), nullptr);

    Pass small{folder, {}, 4096};
    for (int i = 0; i < files; ++i) {
        const std::string sub = "s" + std::to_string(i % 50);
        ::CreateDirectoryA((folder + sub).c_str(), nullptr);
        small.names.push_back(sub + "\\f" + std::to_string(i) + ".bin");
    }
    Pass big{folder, {"big.bin"}, bigMiB << 20};
    std::printf("a pass that writes its files flushed and places them, median of %d rounds:\n",
                rounds);
    const bool ok = Measure((std::to_string(files) + " files of 4 KiB").c_str(), small, rounds) &&
                    Measure((std::to_string(bigMiB) + " MiB, one file").c_str(), big, rounds);
    if (!ok)
        std::fprintf(stderr, "install_bench: a file could not be written or moved\n");
    for (const Pass* pass : {&small, &big}) {
        for (const std::string& name : pass->names)
            ::DeleteFileA(pass->Path(name).c_str());
    }
    for (int i = 0; i < 50; ++i)
        ::RemoveDirectoryA((folder + "s" + std::to_string(i)).c_str());
    ::DeleteFileA((folder + "install.journal").c_str());
    ::RemoveDirectoryA(folder.c_str());
    return ok ? 0 : 1;
}
