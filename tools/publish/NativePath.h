// Names as the launcher sees them. On Windows the launcher works with narrow
// text in the ANSI code page, so names and paths are converted through it
// rather than through the library's own narrow encoding.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Paths as the system's narrow functions (fopen, messages) take them.
std::string ToNarrow(const std::filesystem::path& path);
std::filesystem::path FromNarrow(const std::string& text);

// How names on disk are encoded outside Windows (on Windows the system
// converts them and this is not used).
enum class NameEncoding { Utf8, Gbk };

// A release name as the launcher will hold it: in the ANSI code page (GBK).
// A character the code page lacks, or bytes that are not valid in the given
// encoding, become '?'.
std::string ToAnsiName(const std::filesystem::path& component, NameEncoding encoding);

// The file a listed name stands for below `root` (a mirror's plaza folder or
// an installation), with the forward slashes of the download URL. Outside
// Windows the name is encoded as given: GBK for a mirror, whose files carry
// the bytes of the URLs the launcher asks for; UTF-8 for an installation on a
// UTF-8 system.
std::filesystem::path ListedFilePath(const std::filesystem::path& root, const std::string& name,
                                     NameEncoding encoding);

// Reads "--name-encoding utf-8|gbk" at args[i], moving i past the value.
// False when args[i] is not that option or its value is unknown.
bool ParseNameEncoding(const std::vector<std::string>& args, size_t& i, NameEncoding& encoding);
