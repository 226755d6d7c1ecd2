// SHA-256 of a whole file, read in blocks; shared by the launcher's check of
// a downloaded file and the publish tool's signing.
#pragma once

#include <optional>
#include <string>

#include "update/ReleaseSignature.h"

// `path` is narrow, in the system's code page; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
