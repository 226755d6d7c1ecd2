// One read of a file that gives everything publish states about it: its
// size, MD5 and SHA-256, taken from the same bytes that are written to the
// copy, so a file that changes while a release is made can never be listed,
// signed and copied as three different versions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "update/format/ReleaseSignature.h"

struct FileFacts {
    uint64_t size = 0;
    std::string md5;
    Sha256Digest sha256{};  // zeros unless asked for
};

// Reads `source` once, writing every byte to `copy` unless that is empty, and
// gives the facts of what was read (SHA-256 only when asked for). Nothing
// when the file cannot be read or the copy cannot be written. `read`, when
// given, is told the bytes of each block read.
std::optional<FileFacts> DigestFile(const std::filesystem::path& source,
                                    const std::filesystem::path& copy, bool sha256,
                                    const std::function<void(uint64_t)>& read = {});
