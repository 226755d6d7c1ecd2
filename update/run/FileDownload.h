// One listed file fetched into "<name>.tmp" beside its target, on one of the
// download pass's workers: as a patch or a compressed copy when the mirror
// offers one (see DeltaDownload.h), else as itself, resuming what an
// interrupted run left, and then checked against its length and its listed
// digest. A body that breaks off keeps what arrived; a file that fails its
// checks is deleted. Several files are fetched at once, so the fetch of one
// keeps nothing of it here between calls.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "update/run/DownloadStep.h"

class CUpdateStore;
class DownloadDisplay;
class StopSignal;
struct FileRecord;

// What the fetch of one file hands the pass.
struct FileFetch {
    enum class Ready {
        Fetched,   // its .tmp is complete and checked
        HandOver,  // a new launcher already waits, whole and checked
        GiveUp,    // the waiting launcher failed the lobby too often
    };
    Step step;
    Ready ready = Ready::Fetched;
    uint64_t length = 0;  // the file's bytes
    bool done = false;    // a worker handled it
};

class FileDownload {
public:
    // retryGivenUp: a new launcher that failed the lobby too often is tried
    // once more (a check the player asked for).
    FileDownload(const CUpdateStore& store, DownloadDisplay& display, bool retryGivenUp);

    // Fetches and checks record's file into its .tmp, or finds its new
    // launcher waiting; stop is this fetch's own.
    Step Download(const FileRecord& record, StopSignal& stop, FileFetch& out);

private:
    struct Fetched;
    struct Response;

    Step Open(StopSignal& stop, const std::string& url, bool bypassCache, uint64_t offset,
              Response& response);
    Step FetchToTemp(const FileRecord& record, StopSignal& stop, const std::string& url,
                     const std::string& temp, bool fromZero, Fetched& fetched);
    void MakeFolder(const std::string& name);
    Step FetchSmaller(const FileRecord& record, StopSignal& stop, const std::string& target,
                      const std::string& temp, Fetched& fetched);

    const CUpdateStore& m_store;
    DownloadDisplay& m_display;
    const bool m_bRetryGivenUp;
    std::mutex m_folderMutex;
    std::set<std::string> m_madeFolders;
};
