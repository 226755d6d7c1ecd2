// The file check: every name of the mirror's file list is compared with the
// installed file, by MD5, and the files that differ become the download
// list. Each entry takes at least a short pause (5 ms), as the check always
// has; the digest is taken meanwhile, so the check costs the longer of the
// two, not their sum.
#pragma once

#include <cstdint>
#include <list>
#include <string>

class StopSignal;

// One entry of the file list that must be downloaded.
struct FileRecord {
    std::string m_sName;  // relative path with backslashes, "\Res\x.png"
    std::string m_sMd5;   // listed digest
    // Listed size: for progress, and the size a patch or a compressed copy
    // must make (a plain download is held to it only when signed).
    int64_t m_nSize = 0;
    // The digest of the local copy at the check; empty when there is none.
    // A patch from it may be offered for the file.
    std::string m_sLocalMd5;
    bool m_bNeedDownload = false;
    // A name that leaves the installation folder, that Windows cannot store
    // as a file of its own, or that another listed name folds to: never
    // opened or written, and the download pass refuses it.
    bool m_bBadName = false;
};

// Decodes fileListText and appends to downloads every listed file that
// differs from its copy in installDir, with every bad name (never opened)
// among them. False when stop was set part way.
bool CheckInstalledFiles(const std::string& fileListText, const std::string& installDir,
                         StopSignal* stop, std::list<FileRecord>& downloads);
