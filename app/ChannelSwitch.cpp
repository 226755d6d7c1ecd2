#include "app/ChannelSwitch.h"

#include <cstdlib>

namespace {
constexpr char kChannelSwitch[] = "-channelId=";
constexpr int kSwitchLength = sizeof(kChannelSwitch) - 1;
}  // namespace

ChannelSwitch ParseChannelSwitch(const std::string& cmdLine) {
    ChannelSwitch result;
    if (cmdLine.empty() || cmdLine.compare(0, kSwitchLength, kChannelSwitch) != 0)
        return result;
    const size_t space = cmdLine.find(' ');
    const int p = space == std::string::npos ? -1 : static_cast<int>(space);
    // Without a space the number's length is negative: it reads as empty, so 0.
    const int numberLength = p - kSwitchLength;
    const std::string number =
        numberLength > 0 ? cmdLine.substr(kSwitchLength, static_cast<size_t>(numberLength))
                         : std::string();
    result.nChannelId = std::atoi(number.c_str());
    const int tailLength = static_cast<int>(cmdLine.size()) - p - 1;
    result.sCmdTail = cmdLine.substr(cmdLine.size() - static_cast<size_t>(tailLength));
    return result;
}
