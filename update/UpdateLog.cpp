#include "update/UpdateLog.h"

#include <windows.h>

#include <cstdio>

namespace {

// The program folder: the log lives beside the executable.
std::string ProgramFolder() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

}  // namespace

void AppendUpdateLog(const std::string& line) {
    const std::string path = ProgramFolder() + "Launcher.log";
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fflush(f);
    std::fclose(f);
}
