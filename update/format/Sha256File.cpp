#include "update/format/Sha256File.h"

#include <cstdio>
#include <vector>

std::optional<Sha256Digest> Sha256OfFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    Sha256Stream sha256;
    std::vector<unsigned char> block(1 << 16);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), f)) > 0)
        sha256.Update(block.data(), got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return std::nullopt;
    return sha256.Digest();
}
