// Builds skin packages: zip archives whose members are deflated and, under a
// password, encrypted with the traditional PKWARE scheme the launcher reads.
#pragma once

#include <string>
#include <vector>

namespace pkgpack {

struct PackageMember {
    std::string name;  // as the launcher looks it up: folders joined by backslashes
    std::string bytes;
};

// The longest member name the launcher can find.
constexpr size_t kMaxMemberName = 255;

// Collects every file under folder, in name order. False, with a message in
// error, when the folder is missing or a name is too long or not ASCII.
bool CollectFolder(const std::string& folder, std::vector<PackageMember>& members,
                   std::string& error);

// Writes the members to path: into a temporary file beside it that replaces
// path only when complete, so a failure leaves no half-written package. An
// empty password writes members without encryption.
bool WritePackage(const std::vector<PackageMember>& members, const std::string& password,
                  const std::string& path, std::string& error);

}  // namespace pkgpack
