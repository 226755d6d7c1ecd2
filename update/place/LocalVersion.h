// "ver.ini" in the installation folder: the version stamp of the release the
// installation last completed. A stamp that matches the mirror's lets a
// start skip the file check.
#pragma once

#include <string>

std::string LocalVersionPath(const std::string& installDir);
// True when "ver.ini" holds stamp.
bool IsLocalVersion(const std::string& installDir, const std::string& stamp);
// Replaces "ver.ini" with stamp in one step, flushed to the disk first, so a
// crash or a full disk leaves the old stamp or the new one, never an empty
// file. A read-only file fails the call but has its attributes cleared, so a
// second call succeeds.
bool SaveLocalVersion(const std::string& installDir, const std::string& stamp);
