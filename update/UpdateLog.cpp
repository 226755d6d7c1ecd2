#include "update/UpdateLog.h"

#include <cstdio>

#include "ui/WindowManager.h"

void AppendUpdateLog(const std::string& line) {
    const std::string path = SkinUI::CWindowManagerUI::GetModuleDirectory() + "Launcher.log";
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fflush(f);
    std::fclose(f);
}
