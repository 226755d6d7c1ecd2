// Hex digits of bytes, the one way every text format of the program writes
// and reads them: digests, the scrambled texts, keys and signatures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Appends the two lowercase hex digits of `value`.
void AppendHex(std::string& out, uint8_t value);

// The lowercase hex text of `size` bytes, two digits a byte.
std::string ToHex(const uint8_t* bytes, std::size_t size);

// The byte that two hex digits (either case) spell; nothing when either is
// not a hex digit.
std::optional<uint8_t> HexPair(char high, char low);

// True when a and b are the same text but for the case of their letters:
// two hex digests that name the same bytes, whichever case wrote them.
bool SameHexText(std::string_view a, std::string_view b);
