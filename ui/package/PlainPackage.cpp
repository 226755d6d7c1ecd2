#include "ui/package/PlainPackage.h"

#include <cstdint>
#include <new>

namespace SkinUI {

namespace {

struct PlainPackageCache {
    std::string path;
    std::unique_ptr<PlainPackage> package;
};

PlainPackageCache& Cache() {
    static PlainPackageCache cache;
    return cache;
}

}  // namespace

std::unique_ptr<PlainPackage> PlainPackage::Open(const std::string& path) {
    UnzipArchive archive = OpenUnzipArchive(path);
    if (!archive)
        return nullptr;
    return std::unique_ptr<PlainPackage>(new PlainPackage(path, std::move(archive)));
}

PlainReadResult PlainPackage::Read(const std::string& name, size_t limit, std::string& bytes) {
    void* archive = m_archive.get();
    if (!LocateMember(archive, name))
        return PlainReadResult::kNotFound;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        return PlainReadResult::kReadFailed;
    }
    if (info.uncompressed_size == 0)
        return PlainReadResult::kEmpty;
    // One read counts its bytes in an int: a member beyond that is refused
    // rather than read short.
    constexpr uint64_t kLargestReadable = 0x7fffffff;
    if (info.uncompressed_size > limit || info.uncompressed_size > kLargestReadable)
        return PlainReadResult::kTooLarge;
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        return PlainReadResult::kReadFailed;
    try {
        bytes.assign(static_cast<size_t>(info.uncompressed_size), '\0');
    } catch (const std::bad_alloc&) {
        unzCloseCurrentFile(archive);
        return PlainReadResult::kReadFailed;
    }
    const int read = unzReadCurrentFile(archive, bytes.data(), static_cast<unsigned>(bytes.size()));
    // A close that reports a CRC mismatch means the bytes are not the member's.
    const int closed = unzCloseCurrentFile(archive);
    if (read < 0 || static_cast<size_t>(read) != bytes.size() || closed != UNZ_OK) {
        bytes.clear();
        return PlainReadResult::kReadFailed;
    }
    return PlainReadResult::kOk;
}

void CachePlainPackage(const std::string& path) {
    Cache().package = PlainPackage::Open(path);
    Cache().path = path;
}

void DropCachedPlainPackage() {
    Cache().package.reset();
    Cache().path.clear();
}

PlainPackage* CachedPlainPackage(const std::string& path) {
    return Cache().package && Cache().path == path ? Cache().package.get() : nullptr;
}

}  // namespace SkinUI
