// Whole files as byte strings, and open files that close themselves.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with the path in the system's narrow encoding; null when it fails.
StdioFile OpenFile(const std::filesystem::path& path, const char* mode);

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
