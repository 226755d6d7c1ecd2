#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "identity/Md5.h"
#include "identity/Md5Transform.h"
#include "tests/identity/TempFolder.h"

namespace {

// Bytes without NUL, so the same bytes can go through the text digest.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(1 + (i * 7 + i / 251) % 255);
    return bytes;
}

TEST(Md5Text, MatchesTheReferenceVectors) {
    const struct {
        const char* text;
        const char* digest;
    } vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890"
         "123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& v : vectors)
        EXPECT_EQ(Md5OfText(v.text), v.digest) << v.text;
}

TEST(Md5Text, PadsAcrossTheLengthWordBoundary) {
    // 55 bytes leave room for the length in the same block; 56 need a second.
    EXPECT_EQ(Md5OfText(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(Md5OfText(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(Md5OfText(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
}

TEST(Md5Text, StopsAtTheFirstNul) {
    EXPECT_EQ(Md5OfText(std::string("abc\0def", 7)), Md5OfText("abc"));
}

TEST(Md5File, EqualsTheTextDigestAcrossPieceBoundaries) {
    TempFolder folder;
    for (size_t size : {0, 1, 55, 56, 4095, 4096, 4097, 3 * 4096, 3 * 4096 + 100}) {
        const std::string bytes = Pattern(size);
        const std::string path = folder.Write("f" + std::to_string(size), bytes);
        EXPECT_EQ(Md5OfFile(path), Md5OfText(bytes)) << size << " bytes";
    }
}

TEST(Md5File, DigestsBinaryContentAndGivesLowerCase) {
    TempFolder folder;
    // "abc" NUL "def": a file is digested whole, NULs included.
    const std::string path = folder.Write("bin", std::string("abc\0def", 7));
    EXPECT_EQ(Md5OfFile(path), "a5e4d5963ae44c1f4bfb37b1a3d55a3c");
}

TEST(Md5File, UnopenableFileGivesTheFailureText) {
    TempFolder folder;
    const std::string failed = Md5OfFile((folder.path() / "missing.bin").string());
    EXPECT_EQ(failed, "文件打开失败！");
    EXPECT_EQ(failed.size(), 14u);  // GBK, as the launcher shows and compares it
}

TEST(Md5Padding, CarriesTheFullSixtyFourBitLength) {
    // A 4 GiB + 3 byte message must not have its length cut to 32 bits.
    uint8_t block[128];
    std::memset(block, 0xee, sizeof block);
    const uint64_t total = (uint64_t{1} << 32) + 3;
    ASSERT_EQ(Md5Pad(block, 3, total), 64u);
    EXPECT_EQ(block[3], 0x80);
    EXPECT_EQ(block[55], 0);
    const uint64_t bits = total * 8;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(block[56 + i], static_cast<uint8_t>(bits >> (8 * i)));
}

}  // namespace
