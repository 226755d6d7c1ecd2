// How one step of the download pass on one file ended, and where a listed
// file and its .tmp are: shared by the pass, which takes the files' results
// in list order and puts them in place (DownloadFiles.cpp), and the fetch of
// one file on a worker (FileDownload.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "update/format/ReleaseSignature.h"
#include "update/place/InstallJournal.h"

inline constexpr char kDigestMismatch[] = "文件校验失败！";

// How one step on one file ended.
struct Step {
    enum class Kind {
        Ok,
        Failed,       // ends the pass; reason follows the name on screen
        Stopped,      // the run was stopped: nothing more is shown
        Refused,      // a signed release that does not hold
        WrongLength,  // a signed file answered with another length than signed
    };
    Kind kind = Kind::Ok;
    std::string reason;
    ReleaseVerdict verdict = ReleaseVerdict::Accepted;

    bool ok() const { return kind == Kind::Ok; }
};

inline Step Failed(std::string reason = {}) {
    return {Step::Kind::Failed, std::move(reason)};
}
inline Step Stopped() {
    return {Step::Kind::Stopped, {}};
}
inline Step Refused(ReleaseVerdict verdict) {
    return {Step::Kind::Refused, {}, verdict};
}

// The bytes of a file (0 for none, or a folder).
inline uint64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The temporary file left by an interrupted download, as far as it can be
// resumed: shorter than the listed size (a complete one is more likely an
// old file than a finished one).
inline uint64_t ResumableLength(const std::string& temp, int64_t listedSize) {
    const uint64_t length = FileLength(temp);
    return listedSize > 0 && length < static_cast<uint64_t>(listedSize) ? length : 0;
}
