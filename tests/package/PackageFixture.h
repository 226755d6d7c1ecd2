// Shared by the package tests: a scratch folder that removes itself, and
// packages written by the packer's own code.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace package_test
