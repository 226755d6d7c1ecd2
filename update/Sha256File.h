// SHA-256 of a whole file, read in blocks, for the publish tool's signing and
// checks. (The launcher takes a download's SHA-256 while it arrives.)
#pragma once

#include <optional>
#include <string>

#include "update/ReleaseSignature.h"

// `path` is narrow, in the system's code page; nothing when it cannot be read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
