// The record of the launcher's self-update hand-overs, "handover.ini" beside
// "ver.ini". The running launcher cannot replace its own executable: it
// leaves the new one as "Launcher.exe.tmp" and starts the lobby, which moves
// it into place once the launcher has quit. Every such start is counted here
// against the digest of the file handed over. A run that finds the new file
// still waiting then knows whether it was ever handed over (it never was when
// an earlier pass failed after downloading it, or the player closed the
// window), and gives up on one the lobby failed to move a few times instead
// of restarting for ever.
#pragma once

#include <string>

// Hand-overs of one new launcher before the old one is kept.
inline constexpr unsigned kMaxHandOvers = 3;

// "<installDir>Launcher.exe.tmp": the new launcher waiting to be moved.
std::string WaitingLauncherPath(const std::string& installDir);

// How often the new launcher with this digest was handed over (0: never, or
// no readable record).
unsigned CountHandOvers(const std::string& installDir, const std::string& md5);
// Counts one more hand-over of the waiting launcher, by the digest of the
// file itself. False when there is no waiting file or the record could not
// be saved: a hand-over that is not counted could repeat without end.
bool RecordHandOver(const std::string& installDir);
// Once the installation is current, no hand-over is pending.
void ForgetHandOvers(const std::string& installDir);
