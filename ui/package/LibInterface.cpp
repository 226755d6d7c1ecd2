#include "ui/package/LibInterface.h"

#include <cstdio>
#include <new>

#ifdef _WIN32
// Declared here rather than through <windows.h>: this module stays pure.
extern "C" __declspec(dllimport) void __stdcall OutputDebugStringA(const char* text);
#endif

namespace SkinUI {

void ReportPackageDiagnostic(const char* text) {
#ifdef _WIN32
    OutputDebugStringA(text);
#else
    std::fprintf(stderr, "%s\n", text);
#endif
}

namespace {

UnzipArchive OpenWithFallback(const std::string& path) {
    UnzipArchive archive = OpenUnzipArchive(path);
    if (!archive)
        archive = OpenUnzipArchive(path + ".zip");
    return archive;
}

bool ReadCurrentEntry(void* archive, ZipEntry& entry) {
    if (unzGetCurrentFileInfo64(archive, &entry.info, nullptr, 0, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        return false;
    }
    // The whole stored name, so that a long name is never mistaken for a
    // shorter one it happens to begin with.
    std::string name(entry.info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(archive, nullptr, name.data(), static_cast<uLong>(name.size()),
                                nullptr, 0, nullptr, 0) != UNZ_OK) {
        return false;
    }
    entry.name = std::move(name);
    return true;
}

bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 0x20);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 0x20);
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

ZipPackage* OpenPackage(const char* path, const char* password) {
    if (!path) {
        ReportPackageDiagnostic("sourcrZipPath");
        return nullptr;
    }
    try {
        auto package = std::make_unique<ZipPackage>();
        package->path = path;
        package->password = password ? password : "";
        package->archive = OpenWithFallback(package->path);
        if (!package->archive) {
            ReportPackageDiagnostic("_f");
            return nullptr;
        }
        void* archive = package->archive.get();
        unz_global_info64 global = {};
        if (unzGetGlobalInfo64(archive, &global) != UNZ_OK)
            return nullptr;
        if (unzGoToFirstFile(archive) != UNZ_OK) {
            // An archive with no members has no first one either; it is an
            // empty package, not a damaged one.
            if (global.number_entry == 0)
                return package.release();
            ReportPackageDiagnostic("UNZ_OK == done");
            return nullptr;
        }
        for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
            ZipEntry entry;
            if (!ReadCurrentEntry(archive, entry))
                return nullptr;
            package->entries.push_back(std::move(entry));
            if (i + 1 < global.number_entry && unzGoToNextFile(archive) != UNZ_OK)
                return nullptr;
        }
        return package.release();
    } catch (const std::bad_alloc&) {
        // A damaged directory can claim names or counts no memory holds.
        return nullptr;
    }
}

uint32_t GetEntrySize(const ZipPackage* package, const char* name) {
    if (!package) {
        ReportPackageDiagnostic("nZip");
        return 0;
    }
    if (!name)
        return 0;
    for (const ZipEntry& entry : package->entries) {
        if (EqualIgnoringAsciiCase(entry.name, name)) {
            return static_cast<uint32_t>(entry.info.uncompressed_size);
        }
    }
    return 0;
}

int ExtractEntry(ZipPackage* package, const char* name, const char* password, void* buffer,
                 uint32_t size) {
    if (!package) {
        ReportPackageDiagnostic("nZip");
        return 0;
    }
    void* archive = package->archive.get();
    if (!archive || !name || !LocateMember(archive, name))
        return 0;
    if (unzOpenCurrentFilePassword(archive, password) != UNZ_OK)
        return 0;
    const int result = unzReadCurrentFile(archive, buffer, size);
    // Once the whole member is read the close checks its CRC: bytes that are
    // not the member's (a wrong password on a stored member) are a failure,
    // never a success.
    const int closed = unzCloseCurrentFile(archive);
    return result >= 0 && closed == UNZ_CRCERROR ? UNZ_CRCERROR : result;
}

void ClosePackage(ZipPackage* package, bool remove) {
    if (!package) {
        ReportPackageDiagnostic("nZip");
        return;
    }
    package->archive.reset();
    package->entries.clear();
    if (remove && package->path.size() > 3) {
        const std::string target = package->path.substr(0, package->path.size() - 3);
        std::remove(target.c_str());
        std::rename(package->path.c_str(), target.c_str());
    }
    delete package;
}

}  // namespace SkinUI
