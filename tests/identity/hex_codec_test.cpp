#include <gtest/gtest.h>

#include <string>

#include "identity/HexCodec.h"

namespace {

std::string TextOfLength(size_t length) {
    std::string text(length, '\0');
    // Every byte value but NUL appears somewhere, high bytes (GBK) included.
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>(1 + (i * 37) % 255);
    return text;
}

// Undoes the XOR of the first four characters, so the digits can be read.
std::string Unmasked(std::string scrambled) {
    for (size_t i = 0; i < 4 && i < scrambled.size(); ++i)
        scrambled[i] ^= 5;
    return scrambled;
}

TEST(Scramble, RoundTripsEveryLengthThatFits) {
    for (size_t length = 0; length <= 56; ++length) {
        const std::string text = TextOfLength(length);
        const std::string scrambled = ScrambleText(text);
        EXPECT_EQ(scrambled.size(), length == 0 ? 4 : (length + 7) / 8 * 32) << length;
        EXPECT_EQ(UnscrambleText(scrambled, 256), text) << length;
    }
}

TEST(Scramble, RefusesTextsTooLongForTheFormat) {
    EXPECT_EQ(ScrambleText(TextOfLength(57)), "");
    // 256 and 300 bytes would wrap the one-byte length to 0 and 44.
    EXPECT_EQ(ScrambleText(TextOfLength(256)), "");
    EXPECT_EQ(ScrambleText(TextOfLength(300)), "");
}

TEST(Scramble, EmptyTextIsFourMaskBytes) {
    const std::string scrambled = ScrambleText("");
    EXPECT_EQ(scrambled, std::string(4, '\x05'));
    EXPECT_EQ(UnscrambleText(scrambled, 256), "");
}

TEST(Scramble, CarriesLengthAndRepeatingKeyInTheDigits) {
    const std::string plain = "abcdefghi";  // 9 bytes: two key rounds
    const std::string digits = Unmasked(ScrambleText(plain));
    ASSERT_EQ(digits.size(), 64u);
    EXPECT_EQ(digits.substr(0, 2), "09");
    EXPECT_EQ(digits.substr(32, 2), "09") << "position 8 uses key byte 0 again";
    EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos);
    for (size_t i = 1; i < 8; ++i) {
        EXPECT_NE(digits.substr(4 * i, 2), "ff") << "random key bytes stay below 255";
    }
}

TEST(Scramble, SameTextScramblesDifferentlyEachTime) {
    const std::string first = ScrambleText("password");
    const std::string second = ScrambleText("password");
    EXPECT_NE(first, second);
    EXPECT_EQ(UnscrambleText(first, 256), "password");
    EXPECT_EQ(UnscrambleText(second, 256), "password");
}

TEST(Unscramble, ReadsAHandBuiltText) {
    // "A" with key 01: "0140" masked is "5415"; the other positions are filler.
    EXPECT_EQ(UnscrambleText("5415" + std::string(28, '0'), 256), "A");
    // Either case of hex digits: "Hi" with key 02 and 7f.
    const std::string hi = "571D7F16" + std::string(24, '0');
    EXPECT_EQ(UnscrambleText(hi, 256), "Hi");
}

TEST(Unscramble, RejectsMalformedTexts) {
    const std::string good = ScrambleText("abcdefghi");  // 64 characters
    EXPECT_EQ(UnscrambleText(good.substr(0, 31), 256), "") << "shorter than 32";
    EXPECT_EQ(UnscrambleText(good.substr(0, 32), 256), "") << "length pair says 64";
    EXPECT_EQ(UnscrambleText(good + "0000", 256), "");
    std::string notHex = good;
    notHex[6] = 'z';
    EXPECT_EQ(UnscrambleText(notHex, 256), "");
    EXPECT_EQ(UnscrambleText(std::string(32, '\0'), 256), "");
}

TEST(Unscramble, NeedsRoomForTheTextAndItsTerminator) {
    const std::string scrambled = ScrambleText(std::string(32, 'p'));
    EXPECT_EQ(UnscrambleText(scrambled, 33), std::string(32, 'p'));
    EXPECT_EQ(UnscrambleText(ScrambleText(std::string(33, 'p')), 33), "");
    EXPECT_EQ(UnscrambleText(scrambled, 0), "");
}

}  // namespace
