// Small state files that must never be torn: the new bytes go to a temporary
// file beside the target, reach the disk, and then replace the target in one
// rename, so a crash or a full disk leaves the old file or the new one. A
// target that another program holds open for a moment (a scanner) is waited
// for as a file move waits (ReplaceFile.h).
#pragma once

#include <string>

class StopSignal;

// False when any step failed, with the step's error as the last error; the
// target is then left as it was. stop may be null.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const StopSignal* stop = nullptr);
