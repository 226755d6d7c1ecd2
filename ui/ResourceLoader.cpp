#include "ui/ResourceLoader.h"

#include <cstdio>

namespace SkinUI {

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

}  // namespace

bool LoadMarkupBytes(const ResourceSource& source, const std::string& name, std::string& bytes,
                     std::string& error) {
    if (!ReadWholeFile(source.resourcePath + name, bytes)) {
        error = "Error opening file";
        return false;
    }
    if (bytes.empty()) {
        error = "File is empty";
        return false;
    }
    if (bytes.size() > kMaxMarkupBytes) {
        error = "File too large";
        return false;
    }
    return true;
}

bool LoadImageBytes(const ResourceSource& source, const std::string& name, std::string& bytes) {
    return ReadWholeFile(source.resourcePath + name, bytes) || ReadWholeFile(name, bytes);
}

}  // namespace SkinUI
