// Turns the bytes of a skin markup file into text in the ANSI code page.
// The Unicode decoding and the byte-order marks are handled here; the final
// conversion to the code page is injected, so this file stays pure.
#pragma once

#include <functional>
#include <string>

namespace SkinUI {

enum class MarkupEncoding { Utf8, Utf16, Ansi };

// Converts UTF-16 text to the ANSI code page; false on failure.
using WideToAnsi = std::function<bool(const std::u16string& wide, std::string& ansi)>;

// UTF-8 to UTF-16. Malformed sequences become U+FFFD, one per bad byte.
std::u16string Utf8ToUtf16(const std::string& bytes);

// Decodes `bytes` in the given encoding. UTF-8 may start with EF BB BF;
// UTF-16 must start with FF FE or FE FF. False with a reason on failure.
bool DecodeMarkup(const std::string& bytes, MarkupEncoding encoding, const WideToAnsi& toAnsi,
                  std::string& text, std::string& error);

}  // namespace SkinUI
