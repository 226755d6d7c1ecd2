// Caps on the mirror's texts: a mirror cannot make the launcher hold more.
// A text over its cap is a failed fetch (and refuses a signed release).
#pragma once

#include <cstddef>

inline constexpr size_t kVersionTextCap = 64 * 1024;
inline constexpr size_t kFileListCap = 32 * 1024 * 1024;
// One line per listed file, so it grows with the file list.
inline constexpr size_t kReleaseSigCap = 32 * 1024 * 1024;
// A line per object, two or three objects per file at most.
inline constexpr size_t kPatchIndexCap = 16 * 1024 * 1024;
