// A signed release installed as one transaction, so the installation is
// always one release: the journal (InstallJournal.h) lists what the pass
// replaces before anything moves; each replaced file is renamed to its
// backup ("<target>.bak") before the new one takes its place, and stays until
// the stamp is saved. A failed move puts back every file moved so far; the
// new files go back to their checked .tmp, which the next start uses
// instead of fetching them again. Renames only, so a large file costs what
// a small one does.
//
// One transaction or recovery runs at a time in the process: a stopped run
// that still puts files back keeps the next run's recovery waiting.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "update/place/InstallJournal.h"
#include "update/place/ReplaceFile.h"

class StopSignal;

std::string BackupPath(const std::string& target);

// Moves and deletes a transaction has in flight at once. Each is a few calls
// that mostly wait (under Wine on its server): four at a time placed a fresh
// installation of 2,000 small files in less than half the time one at a
// time did, and eight gained nothing more.
inline constexpr size_t kPlacingThreads = 4;

class InstallTransaction {
public:
    InstallTransaction(std::string installDir, std::vector<JournalEntry> entries);
    InstallTransaction(const InstallTransaction&) = delete;
    InstallTransaction& operator=(const InstallTransaction&) = delete;

    // Writes the journal; nothing moves before. False when stopped or when
    // the journal cannot be written (the last error says why).
    bool Begin(const StopSignal* stop);
    size_t Size() const { return m_entries.size(); }
    const JournalEntry& Entry(size_t i) const { return m_entries[i]; }
    // Moves each entry's .tmp over its target, the old file kept as its
    // backup, a few entries at a time. After anything but Moved (for the
    // entry `failed` names), RollBack puts every entry back.
    struct Placed {
        ReplaceResult result = ReplaceResult::Moved;
        size_t failed = 0;
    };
    Placed MoveAll(const StopSignal* stop);
    // Puts back every file moved so far and removes the journal; false when
    // a file could not be put back (the journal then stays for the next
    // start).
    bool RollBack();
    // The stamp is saved: the backups and the journal go. A backup another
    // program still holds, or a stop before every backup is gone, keeps the
    // journal, and a later start removes what is left. stop may be null.
    void Commit(const StopSignal* stop);

private:
    ReplaceResult MoveEntry(size_t i, const StopSignal* stop);

    const std::string m_sInstallDir;
    const std::vector<JournalEntry> m_entries;
    std::unique_lock<std::mutex> m_lock;
    // Per entry: its old file has become the backup, or its new file has
    // moved in; either way the roll-back has something to put back.
    std::vector<char> m_touched;
};

// What a start did with a journal a pass left.
struct Recovery {
    enum class Outcome {
        None,        // no journal: no pass was left unfinished
        Finished,    // every new file was there and whole: all are in place
        RolledBack,  // the old files are back; the new ones wait as .tmp
        Unreadable,  // a journal that is not one was removed; nothing moved
        Failed,      // a file could not be moved: the journal stays
        Stopped,
    };
    Outcome outcome = Outcome::None;
    size_t files = 0;
    std::string failedName;  // when Failed
};

// Finishes or rolls back the pass a journal in installDir describes.
Recovery RecoverInstall(const std::string& installDir, const StopSignal* stop);
