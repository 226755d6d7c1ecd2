#include "login/ServerResolver.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "login/ServerLine.h"

namespace {

// Winsock for the length of one look-up.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        m_bStarted = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (m_bStarted)
            ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

private:
    bool m_bStarted = false;
};

uint32_t LookUpHost(const std::string& host) {
    const WinsockSession winsock;
    uint32_t value = ::inet_addr(host.c_str());
    if (value == INADDR_NONE) {
        if (const hostent* entry = ::gethostbyname(host.c_str())) {
            if (entry->h_addr_list && entry->h_addr_list[0]) {
                std::memcpy(&value, entry->h_addr_list[0], sizeof(value));
            }
        }
    }
    return value;
}

}  // namespace

std::string ResolveServerAddress(const std::string& host, const std::vector<std::string>& fallbacks,
                                 const std::string& defaultAddress, int randomValue) {
    return ResolvedServerAddress(LookUpHost(host), fallbacks, defaultAddress, randomValue);
}
