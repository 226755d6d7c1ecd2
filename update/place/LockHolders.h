// Which programs hold a file open, as the Restart Manager knows them: what a
// player must close before a locked file can be replaced.
#pragma once

#include <string>

// The names the programs give themselves (or their executables'), joined by
// "、"; empty when none is known (Windows without the Restart Manager, or
// Wine, whose Restart Manager names nobody).
std::string NameLockHolders(const std::string& path);
// What the player is told about a file that stayed locked: who holds it,
// as far as that is known, and that closing it lets the next try succeed.
std::string LockedFileText(const std::string& path);
