// pkgpack SRC_DIR OUT.pkg: packs a skin folder into the password-protected
// package the launcher reads, under the password the launcher is built with.
#include <cstdio>

#include "launcher_settings.h"
#include "tools/pkgpack/PackageWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pkgpack SRC_DIR OUT.pkg\n");
        return 2;
    }
    std::vector<pkgpack::PackageMember> members;
    std::string error;
    if (!pkgpack::CollectFolder(argv[1], members, error) ||
        !pkgpack::WritePackage(members, settings::kPackagePassword, argv[2], error)) {
        std::fprintf(stderr, "pkgpack: %s\n", error.c_str());
        return 1;
    }
    std::printf("pkgpack: %zu members -> %s\n", members.size(), argv[2]);
    return 0;
}
