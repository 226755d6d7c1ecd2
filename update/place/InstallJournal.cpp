#include "update/place/InstallJournal.h"

#include <windows.h>

#include <fstream>

#include "update/place/AtomicFile.h"

namespace {

constexpr char kJournalName[] = "install.journal";
constexpr char kFormatLine[] = "install journal 1";

}  // namespace

std::string InstallJournalPath(const std::string& installDir) {
    return installDir + kJournalName;
}

std::string InstalledFilePath(const std::string& installDir, const std::string& name) {
    return installDir + (name.empty() || name[0] != '\\' ? name : name.substr(1));
}

bool WriteInstallJournal(const std::string& installDir, const std::vector<JournalEntry>& entries,
                         const StopSignal* stop) {
    std::string text = std::string(kFormatLine) + "\r\n";
    for (const JournalEntry& entry : entries)
        text += entry.md5 + '\t' + (entry.replaces ? '1' : '0') + '\t' + entry.name + "\r\n";
    return ReplaceFileAtomically(InstallJournalPath(installDir), text, stop);
}

JournalFound ReadInstallJournal(const std::string& installDir, std::vector<JournalEntry>& entries) {
    entries.clear();
    const std::string path = InstallJournalPath(installDir);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return JournalFound::None;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != std::string(kFormatLine) + '\r')
        return JournalFound::Unreadable;
    while (std::getline(in, line)) {
        if (line.empty() || line.back() != '\r')
            return JournalFound::Unreadable;
        line.pop_back();
        const size_t first = line.find('\t');
        if (first == std::string::npos || first + 3 >= line.size() || line[first + 2] != '\t' ||
            (line[first + 1] != '0' && line[first + 1] != '1')) {
            return JournalFound::Unreadable;
        }
        entries.push_back({line.substr(first + 3), line.substr(0, first), line[first + 1] == '1'});
    }
    return JournalFound::Read;
}

bool RemoveInstallJournal(const std::string& installDir) {
    const std::string path = InstallJournalPath(installDir);
    return ::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}
