// The skin package reader: opens a zip archive, lists its members, answers a
// member's size and extracts a member decrypted with the package password.
// A package object lives for one load only: open, list, read once, close.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/package/UnzipArchive.h"

namespace SkinUI {

struct ZipEntry {
    std::string name;  // exactly as stored, separators included
    unz_file_info64 info;
};

struct ZipPackage {
    std::string path;
    std::string password;  // the copy given to OpenPackage; extraction takes its own
    UnzipArchive archive;
    std::vector<ZipEntry> entries;  // central-directory order
};

// Opens the archive at path, or failing that at path + ".zip", and lists every
// member. Null when neither opens or the directory cannot be walked.
ZipPackage* OpenPackage(const char* path, const char* password);

// Uncompressed size (low 32 bits) of the first member whose name matches,
// ignoring ASCII case; 0 when there is none.
uint32_t GetEntrySize(const ZipPackage* package, const char* name);

// Decrypts with password (every byte before its terminating zero) and
// decompresses up to size bytes of the member into buffer. Returns the count
// written, 0 when the member cannot be found or opened, or a negative minizip
// error (a wrong password usually shows as one).
int ExtractEntry(ZipPackage* package, const char* name, const char* password, void* buffer,
                 uint32_t size);

// Closes and frees the package. With remove, the package file then replaces
// the file named by its path without the last three characters.
void ClosePackage(ZipPackage* package, bool remove);

// Writes a developer report of a failed skin load: the debugger output on
// Windows, stderr elsewhere. Never shown to the player, never stops a load.
void ReportPackageDiagnostic(const char* text);

// Closes a package without remove when the load that opened it returns.
struct PackageCloser {
    void operator()(ZipPackage* package) const { ClosePackage(package, false); }
};
using ScopedPackage = std::unique_ptr<ZipPackage, PackageCloser>;

}  // namespace SkinUI
