// "install.journal" beside "ver.ini": what a signed release's pass is about
// to replace, written before the first file moves and removed once the
// stamp is saved. A start that finds it knows the pass did not end (the
// launcher was killed, the power went) and which files to check, finish or
// put back (InstallTransaction.h).
//
// One line per file, CR LF: the new file's MD5, a tab, 1 when an old file
// was there to be kept as its backup (0 otherwise), a tab, the listed name.
// Listed names hold no control characters, so a tab or a line break never
// belongs to one. The first line names the format.
#pragma once

#include <string>
#include <vector>

class StopSignal;

struct JournalEntry {
    std::string name;       // as listed: "\data\a.bin"
    std::string md5;        // of the new file
    bool replaces = false;  // an old file stood there when the pass began
};

std::string InstallJournalPath(const std::string& installDir);
// Where a listed name lives: installDir ends in a backslash and listed names
// start with one.
std::string InstalledFilePath(const std::string& installDir, const std::string& name);

// Replaces the journal in one step, flushed to the disk first (AtomicFile.h).
bool WriteInstallJournal(const std::string& installDir, const std::vector<JournalEntry>& entries,
                         const StopSignal* stop);

enum class JournalFound {
    None,        // no pass was left unfinished
    Read,        // entries holds what the pass was replacing
    Unreadable,  // a journal that is not one: it cannot be acted on
};
JournalFound ReadInstallJournal(const std::string& installDir, std::vector<JournalEntry>& entries);

// True when no journal is left.
bool RemoveInstallJournal(const std::string& installDir);
