// The toolkit's reader for a skin package without a password: members are
// read as stored, with no decryption. Start-up may keep one such archive open
// for the whole process (the cache flag of SetResourcePackage).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "ui/package/UnzipArchive.h"

namespace SkinUI {

enum class PlainReadResult { kOk, kNotFound, kEmpty, kTooLarge, kReadFailed };

class PlainPackage {
public:
    // Null when the file at path is not a readable zip archive.
    static std::unique_ptr<PlainPackage> Open(const std::string& path);

    const std::string& Path() const { return m_path; }

    // Reads the member (ASCII case ignored) whole; members above limit bytes
    // are refused before anything is read.
    PlainReadResult Read(const std::string& name, size_t limit, std::string& bytes);

private:
    PlainPackage(std::string path, UnzipArchive archive)
        : m_path(std::move(path)), m_archive(std::move(archive)) {}

    std::string m_path;
    UnzipArchive m_archive;
};

// The process-wide cached archive. Caching a path that does not open leaves
// no archive cached; the loads then report that the package did not open.
void CachePlainPackage(const std::string& path);
void DropCachedPlainPackage();
// The cached archive when it was opened from path, otherwise null.
PlainPackage* CachedPlainPackage(const std::string& path);

}  // namespace SkinUI
