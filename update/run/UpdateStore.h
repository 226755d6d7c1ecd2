// What one update run learns from the mirror: the download session, the
// version and its stamp, the file list and the files that differ, the
// accepted release and the patch index. ver.ini is read and written in
// place/LocalVersion, the files are compared in FileCheck.
//
// The view holds one store; every update run works on its own copy (which
// shares the download session) so that a stopped run that has not ended yet
// never touches what the next run uses.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "update/format/PatchIndex.h"
#include "update/format/ReleaseSignature.h"
#include "update/net/NetLimits.h"
#include "update/run/FileCheck.h"

class CDownloadSession;
class StopSignal;

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
    // Writes the stamp to "ver.ini"; see LocalVersion.h.
    bool SaveLocalVersion();
    // The mirror's "file.html"; false when it could not be fetched.
    bool FetchFileList(const std::string& url);
    // The file check of the fetched list into m_lstDownload (FileCheck.h);
    // false when the run was stopped part way.
    bool BuildDownloadList();
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

    std::list<FileRecord> m_lstDownload;
    std::string m_sBaseUrl;     // mirror base + "plaza"
    std::string m_sInstallDir;  // program folder, ending in a backslash
    std::string m_sFileList;
    std::string m_sVersionText;  // the display part of the last "ver.html"
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
