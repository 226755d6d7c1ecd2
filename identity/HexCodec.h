// Scrambled hex text: a reversible disguise of a short text as hex digits,
// used for remembered passwords and for every line of the mirror's file list.
// The random key travels inside the text, so the same text scrambles
// differently each time. The byte layout is shared with the operator's tools
// and with passwords already saved in the registry, so it must not change.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Longest text that fits the 256-byte buffer the format was built around.
inline constexpr std::size_t kScrambleMaxLength = 56;

// Scrambles the bytes of `plain` up to its first NUL. Texts longer than
// kScrambleMaxLength give the empty text; the empty text gives four bytes of
// value 5 (the disguise applied to an empty buffer).
std::string ScrambleText(std::string_view plain);

// Recovers the text, or gives the empty text when `scrambled` is not a
// well-formed scrambled text or its plain text would not fit `capacity`
// bytes including the terminating NUL a C caller would need.
std::string UnscrambleText(std::string_view scrambled, std::size_t capacity);
