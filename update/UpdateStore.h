// The update engine's state: the download session, the fetched version and
// file list, and the list of files to download.
//
// The view holds one store; every update run works on its own copy (which
// shares the download session) so that a stopped run that has not ended yet
// never touches what the next run uses.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "update/NetLimits.h"
#include "update/PatchIndex.h"
#include "update/ReleaseSignature.h"

class CDownloadSession;
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

struct DownloadCount {
    unsigned count = 0;
    uint64_t totalSize = 0;
};

class CUpdateStore {
public:
    CUpdateStore();

    // The mirror's "ver.html"; false when it could not be fetched.
    bool FetchVersion(const std::string& url);
    std::string GetDisplayVersion() const { return m_sVersionText; }
    // True when "ver.ini" holds the fetched stamp.
    bool IsLocalVersionCurrent() const;
    // Writes the stamp to "ver.ini". A read-only file fails the call but has
    // its attributes cleared, so a second call succeeds.
    bool SaveLocalVersion();
    // The mirror's "file.html"; false when it could not be fetched.
    bool FetchFileList(const std::string& url);
    // Compares every listed file with the local copy and keeps those that
    // differ in m_lstDownload, with every bad name (never opened) among them.
    // onEntry hears each listed name as it is reached; false when the run
    // was stopped part way.
    bool BuildDownloadList(const std::function<void(const std::string&)>& onEntry);
    DownloadCount CountDownloads() const;
    // The mirror's patch index, kept when it belongs to this run's release
    // (and, when signed, is signed by a release key). A mirror without one,
    // or with one that cannot be read, gets plain downloads.
    void FetchPatchIndex(const std::string& mirror);

    void SetStopSignal(std::shared_ptr<StopSignal> stop) { m_pStop = std::move(stop); }
    // A new download session whose requests keep to these limits (the text
    // fetches too); the store starts with the built-in ones.
    void UseNetLimits(const NetLimits& limits);
    StopSignal* GetStopSignal() const { return m_pStop.get(); }
    const CDownloadSession& Session() const { return *m_pSession; }
    std::string LocalVersionPath() const { return m_sInstallDir + "ver.ini"; }

    std::list<FileRecord> m_lstDownload;
    std::string m_sBaseUrl;     // mirror base + "plaza"
    std::string m_sInstallDir;  // program folder, ending in a backslash
    std::string m_sFileList;
    std::string m_sVersionText;  // after a fetch: the display version
    std::string m_sVersionStamp;
    std::string m_sVersionBody;  // "ver.html" as fetched, for its signed hash
    // The last text fetch failed because the body was over its cap.
    bool m_bTextTooLarge = false;
    // The status the last text fetch failed with (0: none, or a success).
    unsigned long m_nTextStatus = 0;
    // Keys that sign releases (from the build's settings; empty: unsigned),
    // and the release this run accepted.
    std::vector<ReleasePublicKey> m_vReleaseKeys;
    std::shared_ptr<const ReleaseManifest> m_pRelease;
    // The patch index this run may use (null: none), and the mirror whose
    // objects it names.
    std::shared_ptr<const PatchIndex> m_pPatchIndex;
    std::string m_sMirrorUrl;

private:
    std::shared_ptr<const CDownloadSession> m_pSession;
    std::shared_ptr<StopSignal> m_pStop;
};
