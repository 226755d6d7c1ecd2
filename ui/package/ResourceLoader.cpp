#include "ui/package/ResourceLoader.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "ui/package/LibInterface.h"
#include "ui/package/PlainPackage.h"

namespace SkinUI {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

enum class Outcome { kOk, kNotOpened, kNotFound, kEmpty, kTooLarge, kReadFailed };

// Reads at most limit + 1 bytes, so an oversized file is recognised without
// reading it all.
Outcome ReadPlainFile(const std::string& path, size_t limit, std::string& bytes) {
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return Outcome::kNotOpened;
    bytes.clear();
    char chunk[65536];
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof(chunk), file.get());
        if (n == 0)
            break;
        bytes.append(chunk, n);
        if (bytes.size() > limit)
            return Outcome::kTooLarge;
    }
    if (std::ferror(file.get()))
        return Outcome::kReadFailed;
    return bytes.empty() ? Outcome::kEmpty : Outcome::kOk;
}

Outcome ReadPlainPackage(const std::string& packagePath, const std::string& name, size_t limit,
                         std::string& bytes) {
    std::unique_ptr<PlainPackage> opened;
    PlainPackage* package = CachedPlainPackage(packagePath);
    if (!package) {
        opened = PlainPackage::Open(packagePath);
        package = opened.get();
    }
    if (!package)
        return Outcome::kNotOpened;
    switch (package->Read(name, limit, bytes)) {
        case PlainReadResult::kOk:
            return Outcome::kOk;
        case PlainReadResult::kNotFound:
            return Outcome::kNotFound;
        case PlainReadResult::kEmpty:
            return Outcome::kEmpty;
        case PlainReadResult::kTooLarge:
            return Outcome::kTooLarge;
        case PlainReadResult::kReadFailed:
            break;
    }
    return Outcome::kReadFailed;
}

// A missing member reads as size 0, so it is reported as empty.
Outcome ReadPasswordPackage(const std::string& packagePath, const std::string& password,
                            const std::string& name, size_t limit, std::string& bytes) {
    ScopedPackage package(OpenPackage(packagePath.c_str(), password.c_str()));
    if (!package)
        return Outcome::kNotOpened;
    const uint32_t size = GetEntrySize(package.get(), name.c_str());
    if (size == 0)
        return Outcome::kEmpty;
    if (size > limit)
        return Outcome::kTooLarge;
    bytes.assign(size, '\0');
    const int read =
        ExtractEntry(package.get(), name.c_str(), password.c_str(), bytes.data(), size);
    if (read < 0 || static_cast<uint32_t>(read) != size) {
        bytes.clear();
        return Outcome::kReadFailed;
    }
    return Outcome::kOk;
}

Outcome ReadUnguarded(const ResourceSource& source, const std::string& name, size_t limit,
                      std::string& bytes) {
    if (source.packageName.empty())
        return ReadPlainFile(source.resourcePath + name, limit, bytes);
    const std::string packagePath = source.resourcePath + source.packageName;
    if (source.password.empty())
        return ReadPlainPackage(packagePath, name, limit, bytes);
    return ReadPasswordPackage(packagePath, source.password, name, limit, bytes);
}

// A damaged package or a full address space fails this one file, never the
// program: allocation failures of every kind stop here.
template <typename Read>
Outcome Guarded(std::string& bytes, Read read) {
    try {
        return read();
    } catch (const std::exception&) {
        bytes.clear();
        return Outcome::kReadFailed;
    }
}

Outcome ReadFromSource(const ResourceSource& source, const std::string& name, size_t limit,
                       std::string& bytes) {
    return Guarded(bytes, [&] { return ReadUnguarded(source, name, limit, bytes); });
}

const char* MarkupError(const ResourceSource& source, Outcome outcome) {
    const bool plainFiles = source.packageName.empty();
    const bool protectedPackage = !plainFiles && !source.password.empty();
    switch (outcome) {
        case Outcome::kOk:
            return "";
        case Outcome::kNotOpened:
            if (plainFiles)
                return "Error opening file";
            return protectedPackage ? "OpenZip is fail!" : "Error opening zip file";
        case Outcome::kNotFound:
            return "Could not find ziped file";
        case Outcome::kEmpty:
            return "File is empty";
        case Outcome::kTooLarge:
            return "File too large";
        case Outcome::kReadFailed:
            break;
    }
    return plainFiles ? "Could not read file" : "Could not unzip file";
}

}  // namespace

bool LoadMarkupBytes(const ResourceSource& source, const std::string& name, std::string& bytes,
                     std::string& error) {
    const Outcome outcome = ReadFromSource(source, name, kMaxMarkupBytes, bytes);
    error = MarkupError(source, outcome);
    if (outcome == Outcome::kOk)
        return true;
    bytes.clear();
    // The window just stays empty, so the developer needs to hear why.
    ReportPackageDiagnostic((name + ": " + error).c_str());
    return false;
}

bool LoadImageBytes(const ResourceSource& source, const std::string& name, std::string& bytes) {
    if (ReadFromSource(source, name, kMaxImageBytes, bytes) == Outcome::kOk)
        return true;
    if (Guarded(bytes, [&] { return ReadPlainFile(name, kMaxImageBytes, bytes); }) == Outcome::kOk)
        return true;
    bytes.clear();
    return false;
}

}  // namespace SkinUI
