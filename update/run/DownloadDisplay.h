// What the download pass shows while it works: the recent files, the file's
// bar and the whole bar, the speed, and the text of a failure. Changes go to
// the view in order through a BatchedPoster, so a stream of small files
// costs the view's thread little; a failure's text goes out after every
// change made before it. The whole bar never runs backwards, even when a
// file starts over (a retry, or a patch given up for the plain file).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

#include "update/run/BatchedPoster.h"

class DownloadDisplay {
public:
    DownloadDisplay(ViewPost post, uint64_t totalBytes);

    // The bytes that moved since the last refresh of one file, and when.
    struct Pace {
        DWORD time = ::timeGetTime();
        uint64_t bytes = 0;
    };

    void Begin();
    void End();
    void StartFile(const std::string& name);
    // A block of got bytes arrived, received of length in all, and passBytes
    // of the pass's bytes are done: at most one refresh per 200 ms, and one
    // for the last block. The speed is of the bytes that moved.
    void Progress(const std::string& name, Pace& pace, size_t got, uint64_t received,
                  uint64_t length, uint64_t passBytes);
    // The file is complete and about to be put in place.
    void FinishFile(const std::string& name);
    void ShowFailure(const std::string& text);

private:
    float Whole(uint64_t bytes);

    BatchedPoster m_poster;
    const uint64_t m_nTotalBytes;
    std::vector<std::string> m_recent;
    float m_fShownAll = 0.0f;
};
