// publish verify's look at patches.txt: the launcher trusts an offered
// object only after its digest checks out, so a broken one costs every
// player a wasted download and a fallback. The operator should hear first.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "update/format/ReleaseSignature.h"

// One line per problem: the index unreadable, unsigned (when keys are given)
// or for another stamp; a listed object missing or of another size; a
// compressed copy that does not decode to the file it is named after.
// Nothing when the mirror has no index (made before indexes existed).
std::vector<std::string> CheckPatchIndex(const std::filesystem::path& mirror,
                                         const std::vector<ReleasePublicKey>& keys,
                                         const std::string& stamp);
