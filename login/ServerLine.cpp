#include "login/ServerLine.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr size_t kComparedPrefix = 6;
constexpr uint32_t kNoAddress = 0xFFFFFFFFu;
}  // namespace

int AutoServerLine(const std::string& address, const std::string& defaultAddress) {
    return std::strncmp(address.c_str(), defaultAddress.c_str(), kComparedPrefix) == 0 ? 2 : 0;
}

std::string PickServerAddress(const std::vector<std::string>& candidates,
                              const std::string& defaultAddress, int randomValue) {
    if (candidates.empty())
        return defaultAddress;
    return candidates[static_cast<size_t>(randomValue) % candidates.size()];
}

ServerChoice ChooseLoginServer(bool automatic, const ServerChoice& current,
                               const std::vector<std::string>& lines01,
                               const std::vector<std::string>& line2,
                               const std::string& defaultAddress, int randomValue) {
    ServerChoice choice = current;
    if (automatic) {
        choice.nServerLine = AutoServerLine(current.sServerAddr, defaultAddress);
    } else {
        const auto& candidates = current.nServerLine == 2 ? line2 : lines01;
        choice.sServerAddr = PickServerAddress(candidates, defaultAddress, randomValue);
    }
    return choice;
}

std::string FormatIPv4(uint32_t networkOrderValue) {
    unsigned char octets[4];
    std::memcpy(octets, &networkOrderValue, sizeof(octets));
    char text[16];
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

std::string ResolvedServerAddress(uint32_t networkOrderValue,
                                  const std::vector<std::string>& fallbacks,
                                  const std::string& defaultAddress, int randomValue) {
    if (networkOrderValue == kNoAddress || networkOrderValue == 0) {
        return PickServerAddress(fallbacks, defaultAddress, randomValue);
    }
    return FormatIPv4(networkOrderValue);
}
