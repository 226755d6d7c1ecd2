#include "tools/publish/FileText.h"

#include <fstream>
#include <string>

#include "tools/publish/NativePath.h"

StdioFile OpenFile(const std::filesystem::path& path, const char* mode) {
    return StdioFile(std::fopen(ToNarrow(path).c_str(), mode));
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0)  // not a file, or a folder
        return std::nullopt;
    // Sized once: old releases' files are read whole to patch from.
    std::string bytes(static_cast<size_t>(size), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in || in.peek() != std::char_traits<char>::eof())
        return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}
