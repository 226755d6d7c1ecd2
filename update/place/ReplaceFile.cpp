#include "update/place/ReplaceFile.h"

#include <windows.h>

#include <algorithm>

#include "update/net/StopSignal.h"

namespace {

constexpr ULONGLONG kLockWaitMs = 10000;
constexpr DWORD kFirstPauseMs = 50;
constexpr DWORD kLongestPauseMs = 1000;

// The errors of a file that another process holds open: the first of held
// that exists. Access denied is also what a read-only file, a folder or a
// folder without write access gives (the file may not exist then), which no
// wait cures.
bool IsHeldByAnother(DWORD error, std::initializer_list<std::string> held) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    for (const std::string& path : held) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    }
    return false;
}

}  // namespace

ReplaceResult RetryWhileHeld(const std::function<bool()>& attempt,
                             std::initializer_list<std::string> held, const StopSignal* stop) {
    const ULONGLONG start = ::GetTickCount64();
    DWORD pause = kFirstPauseMs;
    for (;;) {
        if (attempt())
            return ReplaceResult::Moved;
        const DWORD error = ::GetLastError();
        if (!IsHeldByAnother(error, held)) {
            ::SetLastError(error);
            return ReplaceResult::Failed;
        }
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (waited >= kLockWaitMs)
            return ReplaceResult::Locked;
        const DWORD sleep = static_cast<DWORD>(std::min<ULONGLONG>(pause, kLockWaitMs - waited));
        if (!stop)
            ::Sleep(sleep);
        else if (!stop->Sleep(sleep))
            return ReplaceResult::Stopped;
        pause = std::min(pause * 2, kLongestPauseMs);
    }
}

ReplaceResult MoveOverTarget(const std::string& from, const std::string& to,
                             const StopSignal* stop) {
    // A file held open blocks the move, be it the target or, when a replaced
    // file is renamed to its backup, the source.
    return RetryWhileHeld(
        [&] { return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; },
        {to, from}, stop);
}
