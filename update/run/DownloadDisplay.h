// What the download pass shows while it works: the recent files, the file's
// bar and the whole bar, the speed, and the text of a failure. Several files
// are on their way at once; the window follows the one started last, the
// speed is of all of them together, and the whole bar counts every byte of
// each. The fetch workers and the pass thread all report here, so its state
// is under its own lock. Changes go to the view in order through a
// BatchedPoster, so a stream of small files costs the view's thread little;
// a failure's text goes out after every change made before it. The whole
// bar never runs backwards, even when a file starts over (a retry, or a
// patch given up for the plain file).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "update/run/BatchedPoster.h"

class DownloadDisplay {
public:
    DownloadDisplay(ViewPost post, uint64_t totalBytes);

    void Begin();
    void End();
    // A file's fetch begins: the window follows it from now on.
    void StartFile(const std::string& name);
    // A block of got bytes of name arrived, received of length in all, and
    // the file's fetch now stands for share bytes of the pass (an object's
    // bytes stand for its file's, scaled). At most one refresh per 200 ms,
    // and one for the last block of the file the window follows.
    void Progress(const std::string& name, size_t got, uint64_t received, uint64_t length,
                  uint64_t share);
    // The file is complete and about to be put in place; its bytes are done.
    void FinishFile(const std::string& name, uint64_t bytes);
    void ShowFailure(const std::string& text);

private:
    float Whole();  // with m_mutex held

    BatchedPoster m_poster;
    const uint64_t m_nTotalBytes;
    std::mutex m_mutex;
    std::vector<std::string> m_recent;  // the last three started, oldest first
    std::string m_sFollowed;
    float m_fFollowed = 0.0f;                  // its bar
    std::map<std::string, uint64_t> m_shares;  // the files on their way
    uint64_t m_nDoneBytes = 0;
    // The bytes that moved since the last refresh, and when that was.
    DWORD m_nPaceTime;
    uint64_t m_nPaceBytes = 0;
    float m_fShownAll = 0.0f;
};
