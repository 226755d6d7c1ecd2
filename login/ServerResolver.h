// The game server's address as the lobby is given it: the configured host
// resolved once at start. Blocks for as long as the name look-up takes, so
// the window runs it on a thread of its own.
#pragma once

#include <string>
#include <vector>

// A dotted address as it is, a name through Winsock's look-up. When that
// gives no usable address: a random fallback entry (randomValue modulo their
// number), or the default address when there are none.
std::string ResolveServerAddress(const std::string& host, const std::vector<std::string>& fallbacks,
                                 const std::string& defaultAddress, int randomValue);
