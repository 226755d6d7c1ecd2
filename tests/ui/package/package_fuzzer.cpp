// Feeds mutated archives to the package reader: opening, listing and
// extracting every member must fail cleanly, never overrun or crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "launcher_settings.h"
#include "ui/package/LibInterface.h"
#include "ui/package/ResourceLoader.h"

namespace {

struct ScratchPackage {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("package_fuzzer_" + std::to_string(getpid()) + ".pkg"))
                           .string();
    ~ScratchPackage() { std::remove(path.c_str()); }
};

const std::string& ScratchFile() {
    static const ScratchPackage scratch;
    return scratch.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    // The seeds are packed by pkgpack under the built-in password, so most
    // mutations still decrypt and the inflater sees real streams.
    const char* kPassword = settings::kPackagePassword;
    SkinUI::ScopedPackage package(SkinUI::OpenPackage(ScratchFile().c_str(), kPassword));
    if (!package)
        return 0;
    // The markup loader over both package readers: with the password, and
    // through the unprotected reader without one.
    const std::filesystem::path scratch(ScratchFile());
    const std::string folder = scratch.parent_path().string() + "/";
    const std::string packageName = scratch.filename().string();
    std::string bytes;
    std::string error;
    SkinUI::LoadMarkupBytes({folder, packageName, kPassword}, "Launcher.xml", bytes, error);
    SkinUI::LoadMarkupBytes({folder, packageName, ""}, "Launcher.xml", bytes, error);
    // The image loader has its own size cap and falls back to plain files.
    for (const char* password : {kPassword, ""}) {
        for (const SkinUI::ZipEntry& entry : package->entries)
            SkinUI::LoadImageBytes({folder, packageName, password}, entry.name, bytes);
    }
    std::vector<char> buffer;
    for (const SkinUI::ZipEntry& entry : package->entries) {
        // A damaged directory may claim any size; the buffer is what counts.
        const uint32_t size = SkinUI::GetEntrySize(package.get(), entry.name.c_str());
        buffer.assign(size < (1u << 20) ? size : (1u << 20), '\0');
        SkinUI::ExtractEntry(package.get(), entry.name.c_str(), kPassword, buffer.data(),
                             static_cast<uint32_t>(buffer.size()));
    }
    return 0;
}
