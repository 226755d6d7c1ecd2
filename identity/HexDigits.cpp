#include "identity/HexDigits.h"

#include <algorithm>
#include <cctype>

namespace {

std::optional<uint8_t> HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

}  // namespace

void AppendHex(std::string& out, uint8_t value) {
    static const char kDigits[] = "0123456789abcdef";
    out.push_back(kDigits[value >> 4]);
    out.push_back(kDigits[value & 0x0f]);
}

std::string ToHex(const uint8_t* bytes, std::size_t size) {
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i)
        AppendHex(text, bytes[i]);
    return text;
}

std::optional<uint8_t> HexPair(char high, char low) {
    const auto h = HexDigit(high);
    const auto l = HexDigit(low);
    if (!h || !l)
        return std::nullopt;
    return static_cast<uint8_t>((*h << 4) | *l);
}

bool SameHexText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
