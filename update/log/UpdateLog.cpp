#include "update/log/UpdateLog.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

#include "base/ProgramFolder.h"

void AppendUpdateLog(const std::string& line) {
    // The download pass's workers write lines too: one line at a time.
    static std::mutex writing;
    const std::lock_guard<std::mutex> lock(writing);
    // The log lives beside the executable.
    const std::string path = Base::ProgramFolder() + "Launcher.log";
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fflush(f);
    std::fclose(f);
}
