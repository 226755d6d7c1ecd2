// SHA-256 of a whole file, read in blocks: what the publish tool signs and
// verifies, and what the launcher checks of a new launcher already waiting
// as its .tmp. A download is digested as it arrives instead (FileDigests).
#pragma once

#include <optional>
#include <string>

#include "update/format/Sha256.h"

// `path` is narrow, in the system's code page; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
