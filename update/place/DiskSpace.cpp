#include "update/place/DiskSpace.h"

#include <windows.h>

#include "update/log/UpdateLog.h"

namespace {

constexpr uint64_t kMegabyte = 1 << 20;

}  // namespace

std::string LackOfRoomText(const std::string& folder, uint64_t needed) {
    ULARGE_INTEGER available = {};
    if (!::GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= needed) {
        return std::string();
    }
    AppendUpdateLog("DiskSpace: need " + std::to_string(needed) + " bytes, " +
                    std::to_string(available.QuadPart) + " free");
    // Rounded apart, so the two figures never read the same.
    return "磁盘空间不足：更新需要" + std::to_string((needed + kMegabyte - 1) / kMegabyte) +
           " MB，安装目录所在磁盘只剩" + std::to_string(available.QuadPart / kMegabyte) +
           " MB。请清理磁盘后重试。";
}
