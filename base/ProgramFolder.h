// The folder a program's files live in: the launcher's skin, settings, log
// and updated files, and the stand-in lobby's records, all sit beside the
// executable.
#pragma once

#include <windows.h>

#include <string>

namespace Base {

// The folder of module's file (the executable's when null), ending in a
// backslash; empty when the name cannot be had.
inline std::string ProgramFolder(HMODULE module = nullptr) {
    char path[MAX_PATH + 1] = {};
    if (!::GetModuleFileNameA(module, path, MAX_PATH))
        return std::string();
    const std::string file(path);
    const size_t slash = file.rfind('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace Base
