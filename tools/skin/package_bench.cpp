// Prints what loading the skin costs from the password package against the
// same files loose, and how much of the package's cost is reopening and
// re-listing the archive for every load. Measures only; asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "launcher_settings.h"
#include "ui/package/LibInterface.h"
#include "ui/package/ResourceLoader.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 200;

// Seconds for kRounds runs of load().
template <typename Load>
double Time(Load load) {
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round)
        load();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    const std::string packageDir = BENCH_PACKAGE_DIR;
    const std::string password = settings::kPackagePassword;
    std::vector<std::string> images;
    size_t totalBytes = 0;
    {
        SkinUI::ScopedPackage package(
            SkinUI::OpenPackage((packageDir + "Launcher.pkg").c_str(), password.c_str()));
        if (!package) {
            std::fprintf(stderr, "no package in %s: build the skin_files target\n",
                         packageDir.c_str());
            return 1;
        }
        for (const auto& entry : package->entries) {
            totalBytes += entry.info.uncompressed_size;
            if (entry.name != "Launcher.xml")
                images.push_back(entry.name);
        }
    }

    size_t loaded = 0;
    auto loadSkin = [&](const SkinUI::ResourceSource& source) {
        return [&, source] {
            std::string bytes;
            std::string error;
            loaded += SkinUI::LoadMarkupBytes(source, "Launcher.xml", bytes, error);
            for (const std::string& image : images)
                loaded += SkinUI::LoadImageBytes(source, image, bytes);
        };
    };
    const double loose = Time(loadSkin({BENCH_RES_DIR, "", ""}));
    const double packaged = Time(loadSkin({packageDir, "Launcher.pkg", password}));
    // The same extractions from one archive opened and listed once per round.
    const double openedOnce = Time([&] {
        SkinUI::ScopedPackage package(
            SkinUI::OpenPackage((packageDir + "Launcher.pkg").c_str(), password.c_str()));
        std::string bytes;
        for (const auto& entry : package->entries) {
            bytes.resize(SkinUI::GetEntrySize(package.get(), entry.name.c_str()));
            loaded += SkinUI::ExtractEntry(package.get(), entry.name.c_str(), password.c_str(),
                                           bytes.data(), bytes.size()) > 0;
        }
    });

    const size_t loadsPerRound = images.size() + 1;
    std::printf("skin: markup + %zu images, %zu bytes; %d rounds; %zu loads succeeded\n",
                images.size(), totalBytes, kRounds, loaded);
    auto row = [&](const char* name, double seconds) {
        std::printf("%-34s %8.3f ms/skin %7.1f us/file  x%.2f of loose\n", name,
                    seconds * 1000 / kRounds, seconds * 1e6 / kRounds / loadsPerRound,
                    seconds / loose);
    };
    row("loose files", loose);
    row("package, reopened for every load", packaged);
    row("package, opened once per skin", openedOnce);
    std::printf(
        "reopening and listing the archive per load: %.1f us/file (%.0f%% of the package time)\n",
        (packaged - openedOnce) * 1e6 / kRounds / loadsPerRound,
        100 * (packaged - openedOnce) / packaged);
    return 0;
}
