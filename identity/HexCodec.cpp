#include "identity/HexCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "identity/HexDigits.h"

namespace {

// The first four characters (key and cipher digits of the first byte) are
// XORed with this value.
constexpr char kHeadMask = 5;
constexpr std::size_t kHeadLength = 4;
constexpr std::size_t kKeyLength = 8;
constexpr std::size_t kCharsPerByte = 4;

// Random bytes lie in 0..254: the format has always drawn them this way.
uint8_t RandomByte() {
    return static_cast<uint8_t>(std::rand() % 255);
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::size_t PaddedLength(std::size_t length) {
    return (length + kKeyLength - 1) / kKeyLength * kKeyLength;
}

}  // namespace

std::string ScrambleText(std::string_view plain) {
    plain = UpToNul(plain);
    // The length travels in one byte; longer texts would wrap around and come
    // back cut short, so they are refused outright instead.
    if (plain.size() > kScrambleMaxLength)
        return {};
    const std::size_t length = plain.size();

    uint8_t key[kKeyLength];
    key[0] = static_cast<uint8_t>(length);
    for (std::size_t i = 1; i < kKeyLength; ++i)
        key[i] = RandomByte();

    const std::size_t padded = PaddedLength(length);
    std::string out;
    out.reserve(padded == 0 ? kHeadLength : padded * kCharsPerByte);
    for (std::size_t i = 0; i < padded; ++i) {
        const uint8_t k = key[i % kKeyLength];
        const uint8_t c = i < length ? static_cast<uint8_t>(plain[i]) : RandomByte();
        AppendHex(out, k);
        AppendHex(out, static_cast<uint8_t>(c ^ k));
    }
    // An empty text writes no digits; the mask then lands on the zero bytes of
    // the caller's buffer, which is what saved empty passwords look like.
    out.resize(std::max(out.size(), kHeadLength), '\0');
    for (std::size_t i = 0; i < kHeadLength; ++i)
        out[i] ^= kHeadMask;
    return out;
}

std::string UnscrambleText(std::string_view scrambled, std::size_t capacity) {
    scrambled = UpToNul(scrambled);
    if (scrambled.size() < kKeyLength * kCharsPerByte)
        return {};

    char head[kHeadLength];
    for (std::size_t i = 0; i < kHeadLength; ++i)
        head[i] = scrambled[i] ^ kHeadMask;
    const auto length = HexPair(head[0], head[1]);
    if (!length)
        return {};
    if (scrambled.size() != PaddedLength(*length) * kCharsPerByte)
        return {};
    if (capacity == 0 || *length > capacity - 1)
        return {};

    auto charAt = [&](std::size_t offset) {
        return offset < kHeadLength ? head[offset] : scrambled[offset];
    };
    std::string plain;
    plain.reserve(*length);
    for (std::size_t i = 0; i < *length; ++i) {
        const std::size_t at = i * kCharsPerByte;
        const auto key = HexPair(charAt(at), charAt(at + 1));
        const auto cipher = HexPair(charAt(at + 2), charAt(at + 3));
        if (!key || !cipher)
            return {};
        plain.push_back(static_cast<char>(*key ^ *cipher));
    }
    return plain;
}
