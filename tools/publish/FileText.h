// Whole files as byte strings.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
