// SHA-256 of a whole file, read in blocks: what the publish tool signs and
// verifies (the launcher digests a download as it arrives, in FileDigests).
#pragma once

#include <optional>
#include <string>

#include "update/ReleaseSignature.h"

// `path` is narrow, in the system's code page; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
