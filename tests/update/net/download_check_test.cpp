// The pure parts of checking and resuming a download: digests taken over
// pieces of any size, with the processor's SHA instructions or without, and
// the server's answer to a request for the rest.
#include <botan/cpuid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "identity/Md5.h"
#include "update/format/FileDigests.h"
#include "update/format/ReleaseSignature.h"
#include "update/net/HttpRange.h"

namespace {

TEST(FileDigests, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += static_cast<char>('A' + i * 7 % 53);
    for (size_t piece : {1u, 63u, 64u, 65u, 1023u, 16384u}) {
        FileDigests digests;
        digests.EnableSha256();
        for (size_t at = 0; at < body.size(); at += piece) {
            digests.Update(reinterpret_cast<const uint8_t*>(body.data()) + at,
                           std::min(piece, body.size() - at));
        }
        EXPECT_EQ(digests.Md5Hex(), Md5OfText(body)) << piece;
        EXPECT_EQ(digests.Sha256(), Sha256Of(body)) << piece;
        EXPECT_EQ(digests.Length(), body.size());
    }
    FileDigests empty;
    empty.Update(nullptr, 0);
    EXPECT_EQ(empty.Md5Hex(), Md5OfText(""));
}

// The processor's SHA instructions against the portable code on the same
// inputs: every length across two blocks and the padding's edges, in pieces
// that cut blocks anywhere, and a long run of blocks. libsodium's SHA-256
// (Sha256Of) is a third opinion.
TEST(Sha256Stream, ProcessorCodeDigestsAsThePortableCode) {
    std::string bytes(1 << 20, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    const auto digests = [&bytes] {
        std::vector<Sha256Digest> all;
        for (size_t length = 0; length <= 130; ++length) {
            for (size_t piece : {1u, 55u, 64u, 200u}) {
                Sha256Stream stream;
                for (size_t at = 0; at < length; at += piece) {
                    stream.Update(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                                  std::min(piece, length - at));
                }
                all.push_back(stream.Digest());
            }
        }
        Sha256Stream stream;
        stream.Update(reinterpret_cast<const uint8_t*>(bytes.data()), 3);
        stream.Update(reinterpret_cast<const uint8_t*>(bytes.data()) + 3, bytes.size() - 3);
        all.push_back(stream.Digest());
        return all;
    };
    const std::string code = Sha256Stream().Code();
    if (Botan::CPUID::has_intel_sha()) {
        EXPECT_EQ(code, "shani") << "the processor's instructions are not used";
    }
    const std::vector<Sha256Digest> fast = digests();

    Botan::CPUID::clear_cpuid_bit(Botan::CPUID::CPUID_SHA_BIT);
    const std::string portableCode = Sha256Stream().Code();
    const std::vector<Sha256Digest> portable = digests();
    Botan::CPUID::initialize();

    EXPECT_NE(portableCode, "shani");
    ASSERT_EQ(fast.size(), portable.size());
    for (size_t i = 0; i < fast.size(); ++i)
        EXPECT_EQ(fast[i], portable[i]) << "case " << i << ", " << code << " / " << portableCode;
    EXPECT_EQ(fast.back(), Sha256Of(bytes));
    EXPECT_EQ(fast.front(), Sha256Of(""));
}

TEST(HttpRange, OnlyTheRestOfTheSameFileResumes) {
    EXPECT_EQ(RangeRequestHeader(1000), "Range: bytes=1000-\r\n");
    EXPECT_TRUE(ContentRangeResumes("bytes 1000-1999/2000", 1000, 1000));
    EXPECT_TRUE(ContentRangeResumes("bytes 5000000000-5000000009/5000000010", 5000000000ull, 10));
    EXPECT_FALSE(ContentRangeResumes("bytes 0-1999/2000", 1000, 2000)) << "another start";
    EXPECT_FALSE(ContentRangeResumes("bytes 1000-1499/2000", 1000, 500)) << "not to the end";
    EXPECT_FALSE(ContentRangeResumes("bytes 1000-1999/*", 1000, 1000)) << "unknown total";
    EXPECT_FALSE(ContentRangeResumes("bytes 1000-1999/2000", 1000, 999)) << "length differs";
    EXPECT_FALSE(ContentRangeResumes("bytes */2000", 1000, 0));
    EXPECT_FALSE(ContentRangeResumes("", 1000, 1000));
    EXPECT_FALSE(ContentRangeResumes("bytes 1000-1999/2000 ", 1000, 1000));
    EXPECT_FALSE(ContentRangeResumes("bytes 1000-99999999999999999999999/2000", 1000, 1000));
}

}  // namespace
