// What a zstd object decodes to, for checking objects already on a mirror.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The MD5 of what the object at `path` decodes to, against `prefix` (a
// patch's old file; empty for a compressed copy) and with a window of at most
// 2^windowLogMax bytes, as the launcher would decode it. Empty when it is not
// exactly one whole frame that decodes.
std::string DecodedMd5(const std::filesystem::path& path, std::string_view prefix,
                       int windowLogMax);
