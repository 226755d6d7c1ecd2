#include "update/place/InstallTransaction.h"

#include <windows.h>

#include <atomic>

#include "base/ParallelFor.h"
#include "identity/HexDigits.h"
#include "identity/Md5.h"
#include "update/net/StopSignal.h"

namespace {

constexpr DWORD kLockPauseMs = 20;

std::mutex& InstallLock() {
    static std::mutex lock;
    return lock;
}

// Waits for the install lock; an empty lock when stopped first.
std::unique_lock<std::mutex> TakeInstallLock(const StopSignal* stop) {
    std::unique_lock<std::mutex> lock(InstallLock(), std::defer_lock);
    while (!lock.try_lock()) {
        if (!stop)
            ::Sleep(kLockPauseMs);
        else if (!stop->Sleep(kLockPauseMs))
            break;
    }
    return lock;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Paths {
    Paths(const std::string& installDir, const JournalEntry& entry)
        : target(InstalledFilePath(installDir, entry.name)),
          temp(target + ".tmp"),
          backup(BackupPath(target)) {}
    std::string target, temp, backup;
};

// False when the backup is still there: a program that runs from the old
// file (the game, a scanner) keeps it, and the journal stays so that a later
// start removes it.
bool DeleteBackup(const std::string& backup) {
    if (::DeleteFileA(backup.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
        return true;
    // A read-only old file.
    ::SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(backup.c_str()) != 0;
}

// Back from any step of its move to the old file, the new one as its .tmp.
// A stop does not cut this short: a half-put-back installation is what the
// transaction exists to prevent.
bool PutBack(const std::string& installDir, const JournalEntry& entry) {
    const Paths paths(installDir, entry);
    const bool backedUp = entry.replaces && Exists(paths.backup);
    if (Exists(paths.target) && !Exists(paths.temp) && (backedUp || !entry.replaces) &&
        MoveOverTarget(paths.target, paths.temp, nullptr) != ReplaceResult::Moved) {
        return false;
    }
    return !backedUp || MoveOverTarget(paths.backup, paths.target, nullptr) == ReplaceResult::Moved;
}

// The new file, moved or still waiting as its .tmp, is there and whole.
bool HasNewFile(const std::string& installDir, const JournalEntry& entry) {
    const Paths paths(installDir, entry);
    const std::string& file = Exists(paths.temp) ? paths.temp : paths.target;
    return SameHexText(Md5OfFile(file), entry.md5);
}

}  // namespace

std::string BackupPath(const std::string& target) {
    return target + ".bak";
}

InstallTransaction::InstallTransaction(std::string installDir, std::vector<JournalEntry> entries)
    : m_sInstallDir(std::move(installDir)), m_entries(std::move(entries)) {}

bool InstallTransaction::Begin(const StopSignal* stop) {
    m_lock = TakeInstallLock(stop);
    return m_lock.owns_lock() && WriteInstallJournal(m_sInstallDir, m_entries, stop);
}

InstallTransaction::Placed InstallTransaction::MoveAll(const StopSignal* stop) {
    m_touched.assign(m_entries.size(), 0);
    std::mutex mutex;
    Placed placed;
    Base::ParallelFor(m_entries.size(), kPlacingThreads, [&](size_t i) {
        const ReplaceResult result = MoveEntry(i, stop);
        if (result == ReplaceResult::Moved)
            return true;
        // The first entry in list order that did not move is the one named,
        // whichever thread saw its failure first.
        std::lock_guard<std::mutex> lock(mutex);
        if (placed.result == ReplaceResult::Moved || i < placed.failed)
            placed = {result, i};
        return false;
    });
    return placed;
}

ReplaceResult InstallTransaction::MoveEntry(size_t i, const StopSignal* stop) {
    if (stop && stop->IsStopped())
        return ReplaceResult::Stopped;
    const JournalEntry& entry = m_entries[i];
    const Paths paths(m_sInstallDir, entry);
    if (entry.replaces) {
        // A target another program holds is waited for here, before
        // anything of this entry has moved.
        const ReplaceResult aside = MoveOverTarget(paths.target, paths.backup, stop);
        // Gone since the file check: nothing to keep.
        if (aside != ReplaceResult::Moved &&
            !(aside == ReplaceResult::Failed && ::GetLastError() == ERROR_FILE_NOT_FOUND)) {
            return aside;
        }
    }
    // Even when this fails, the old file is now the backup: the roll-back
    // puts it back with the others.
    m_touched[i] = 1;
    return MoveOverTarget(paths.temp, paths.target, stop);
}

bool InstallTransaction::RollBack() {
    bool back = true;
    for (size_t i = m_touched.size(); i-- > 0;) {
        if (m_touched[i])
            back = PutBack(m_sInstallDir, m_entries[i]) && back;
    }
    m_touched.clear();
    back = back && RemoveInstallJournal(m_sInstallDir);
    m_lock = {};
    return back;
}

void InstallTransaction::Commit(const StopSignal* stop) {
    std::atomic<bool> deleted{true};
    const bool whole = Base::ParallelFor(m_entries.size(), kPlacingThreads, [&](size_t i) {
        if (stop && stop->IsStopped())
            return false;
        const JournalEntry& entry = m_entries[i];
        if (entry.replaces &&
            !DeleteBackup(BackupPath(InstalledFilePath(m_sInstallDir, entry.name)))) {
            deleted = false;
        }
        return true;
    });
    if (whole && deleted)
        RemoveInstallJournal(m_sInstallDir);
    m_lock = {};
}

Recovery RecoverInstall(const std::string& installDir, const StopSignal* stop) {
    Recovery recovery;
    const std::unique_lock<std::mutex> lock = TakeInstallLock(stop);
    if (!lock.owns_lock()) {
        recovery.outcome = Recovery::Outcome::Stopped;
        return recovery;
    }
    std::vector<JournalEntry> entries;
    switch (ReadInstallJournal(installDir, entries)) {
        case JournalFound::None:
            return recovery;
        case JournalFound::Unreadable:
            RemoveInstallJournal(installDir);
            recovery.outcome = Recovery::Outcome::Unreadable;
            return recovery;
        case JournalFound::Read:
            break;
    }
    recovery.files = entries.size();
    bool complete = true;
    for (const JournalEntry& entry : entries) {
        if (!HasNewFile(installDir, entry)) {
            complete = false;
            break;
        }
    }
    recovery.outcome = complete ? Recovery::Outcome::Finished : Recovery::Outcome::RolledBack;
    bool deleted = true;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const Paths paths(installDir, *it);
        const bool done =
            complete ? !Exists(paths.temp) ||
                           MoveOverTarget(paths.temp, paths.target, nullptr) == ReplaceResult::Moved
                     : PutBack(installDir, *it);
        if (!done) {
            recovery.outcome = Recovery::Outcome::Failed;
            recovery.failedName = it->name;
            return recovery;
        }
        if (complete && it->replaces)
            deleted = DeleteBackup(paths.backup) && deleted;
    }
    if (deleted)
        RemoveInstallJournal(installDir);
    return recovery;
}
