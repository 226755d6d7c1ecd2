// Names as the launcher sees them. On Windows the launcher works with narrow
// text in the ANSI code page, so names and paths are converted through it
// rather than through the library's own narrow encoding.
#pragma once

#include <filesystem>
#include <string>

std::string ToNarrow(const std::filesystem::path& path);
std::filesystem::path FromNarrow(const std::string& text);

// The file a listed name stands for below `root` (a mirror's plaza folder or
// an installation), with the forward slashes of the download URL.
std::filesystem::path ListedFilePath(const std::filesystem::path& root, const std::string& name);
