// "ver.ini" in the installation folder: the version stamp of the release the
// installation last completed. A stamp that matches the mirror's lets a
// start skip the file check.
#pragma once

#include <string>

std::string LocalVersionPath(const std::string& installDir);
// True when "ver.ini" holds stamp.
bool IsLocalVersion(const std::string& installDir, const std::string& stamp);
// Writes stamp to "ver.ini". A read-only file fails the call but has its
// attributes cleared, so a second call succeeds.
bool SaveLocalVersion(const std::string& installDir, const std::string& stamp);
