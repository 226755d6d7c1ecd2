// The sink of a download into its .tmp file: a FileDigestSink that also
// tells a full disk apart from the other reasons a block was not written,
// so the player learns that room, not the mirror, is missing.
#pragma once

#include <windows.h>

#include "update/sinks/FileDigestSink.h"

inline bool IsDiskFullError(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

class TempFileSink : public FileDigestSink {
public:
    using FileDigestSink::FileDigestSink;
    bool Write(const char* data, size_t size) override {
        if (FileDigestSink::Write(data, size))
            return true;
        m_bDiskFull = IsDiskFullError(::GetLastError());
        return false;
    }
    bool DiskFull() const { return m_bDiskFull; }

private:
    bool m_bDiskFull = false;
};
