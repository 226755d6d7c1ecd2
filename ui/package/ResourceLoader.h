// Where skin files come from: plain files under the resource path, or a zip
// package in it, with or without a password. Pure code (no Win32), so both
// builds test it. Every file and archive a load opens is closed before it
// returns.
#pragma once

#include <string>

namespace SkinUI {

struct ResourceSource {
    std::string resourcePath;  // ends in a separator, or is empty
    std::string packageName;   // empty: plain files
    std::string password;      // empty: unprotected package
};

// The largest markup file a skin may have, inclusive.
constexpr size_t kMaxMarkupBytes = 4194304;
// The largest image file. A damaged package may claim any member size, and
// the buffer is allocated before a byte is read.
constexpr size_t kMaxImageBytes = 32 * 1024 * 1024;

// Reads a markup file's raw bytes. On failure returns false and sets error to
// the loader's message ("File is empty", "OpenZip is fail!", ...).
bool LoadMarkupBytes(const ResourceSource& source, const std::string& name, std::string& bytes,
                     std::string& error);

// Reads an image file's raw bytes: from the package or the resource path, and
// failing that from the name itself as a path. False when nothing was found
// or the file is larger than kMaxImageBytes.
bool LoadImageBytes(const ResourceSource& source, const std::string& name, std::string& bytes);

}  // namespace SkinUI
