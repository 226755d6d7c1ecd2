// Shared by the package tests: a scratch folder that removes itself, and
// packages written by the packer's own code.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tools/pkgpack/PackageWriter.h"

namespace package_test {

namespace fs = std::filesystem;

class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        m_path = fs::temp_directory_path() /
                 ("launcher-package-" + std::to_string(std::random_device{}()) + "-" +
                  std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Folder() const { return m_path.string() + "/"; }  // as a resource path
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        fs::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << bytes;
    }

private:
    fs::path m_path;
};

inline void MakePackage(const std::string& path, const std::string& password,
                        const std::vector<pkgpack::PackageMember>& members) {
    std::string error;
    ASSERT_TRUE(pkgpack::WritePackage(members, password, path, error)) << error;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Rewrites the uncompressed size that the central directory claims for
// every member (or every member except `spare`), as a damaged or hostile
// package would claim it.
inline void ClaimSizeInDirectory(const std::string& path, uint32_t size,
                                 const std::string& spare = "") {
    std::string bytes = ReadAll(path);
    const std::string signature("PK\x01\x02", 4);
    for (size_t at = bytes.find(signature); at != std::string::npos && at + 46 <= bytes.size();
         at = bytes.find(signature, at + 4)) {
        const size_t nameLength = static_cast<unsigned char>(bytes[at + 28]) |
                                  static_cast<unsigned char>(bytes[at + 29]) << 8;
        if (bytes.compare(at + 46, nameLength, spare) == 0)
            continue;
        for (int i = 0; i < 4; ++i)
            bytes[at + 24 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace package_test
