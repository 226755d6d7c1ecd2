// The rules that choose the game-server line and address handed to the lobby.
// Kept free of Win32 so that they are tested on their own; the window and the
// resolver thread apply them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ServerChoice {
    int nServerLine = 0;
    std::string sServerAddr;
};

// Automatic mode: an address that shares its first six characters with the
// default address is on line 2, any other on line 0.
int AutoServerLine(const std::string& address, const std::string& defaultAddress);

// A random entry of the list (randomValue modulo its size), or the default
// address when the list is empty. randomValue must not be negative.
std::string PickServerAddress(const std::vector<std::string>& candidates,
                              const std::string& defaultAddress, int randomValue);

// The choice made at login. In automatic mode the address stays and the line
// follows from it; with a fixed line the address comes from that line's list
// (line 2 has a list of its own) and the line stays.
ServerChoice ChooseLoginServer(bool automatic, const ServerChoice& current,
                               const std::vector<std::string>& lines01,
                               const std::vector<std::string>& line2,
                               const std::string& defaultAddress, int randomValue);

// An IPv4 address as the resolver holds it (network byte order in memory,
// first octet in the lowest byte) written as dotted text.
std::string FormatIPv4(uint32_t networkOrderValue);

// What the resolver leaves in the address field: the dotted address when the
// value is usable, otherwise a random fallback entry or the default address.
// 0xFFFFFFFF (nothing found) and 0 (0.0.0.0) are not usable.
std::string ResolvedServerAddress(uint32_t networkOrderValue,
                                  const std::vector<std::string>& fallbacks,
                                  const std::string& defaultAddress, int randomValue);
