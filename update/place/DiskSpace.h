// Room on the installation's volume for a download pass, checked before any
// byte is fetched: a pass that runs out of room half way has spent the
// player's time and still changes nothing.
#pragma once

#include <cstdint>
#include <string>

// Added for each file to download: the cluster its last bytes round up to
// and its entry in the folder.
inline constexpr uint64_t kRoomPerFile = 4096;

// The text that tells the player the volume of folder has less than needed
// bytes free, with both figures in MB, after a line in the update log with
// the exact ones; empty when there is room, or when the free space cannot be
// read (the pass then finds out as it writes).
std::string LackOfRoomText(const std::string& folder, uint64_t needed);
