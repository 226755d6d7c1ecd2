// release.sig for a mirror that publish make has just written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/publish/ReleaseScan.h"
#include "update/format/ReleaseSignature.h"

struct SigningRequest {
    ReleaseSecretKey secretKey{};
    uint64_t release = 0;
    int64_t expires = 0;  // seconds since 1970 UTC
};

// Signs the texts and the SHA-256 of every release file as read when it was
// copied into the mirror, then checks the result
// as a launcher would. Empty, with `error` set, when that fails.
std::string MakeReleaseSig(const SigningRequest& request, const std::vector<ReleaseFile>& files,
                           const std::string& versionText, const std::string& listText,
                           std::string& error);
