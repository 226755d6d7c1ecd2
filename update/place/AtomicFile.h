// Small state files that must never be torn: the new bytes go to a temporary
// file beside the target, reach the disk, and then replace the target in one
// rename, so a crash or a full disk leaves the old file or the new one.
#pragma once

#include <string>

// False when any step failed, with the step's error as the last error; the
// target is then left as it was.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);
