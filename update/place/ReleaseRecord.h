// "release.ini" beside "ver.ini": the highest signed release this
// installation accepted, as one decimal number. It only grows, so a mirror
// cannot bring an older signed release back (a rollback).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class StopSignal;

std::string HighestReleasePath(const std::string& installDir);
// 0 when there is no such file (a fresh installation), nothing when it
// exists but cannot be read or holds anything but one number. Read as 0, a
// damaged file would let any older release back in. A file another program
// holds is waited for as a move waits (ReplaceFile.h); stop may be null.
std::optional<uint64_t> ReadHighestRelease(const std::string& installDir,
                                           const StopSignal* stop = nullptr);
// Replaces "release.ini" in one step, flushed to the disk first, so a crash
// leaves the old or the new number and never a torn one. On failure the
// last error says why.
bool SaveHighestRelease(const std::string& installDir, uint64_t release);
