// The pure parts of checking and resuming a download: digests taken over
// pieces of any size, and the server's answer to a request for the rest.
#include <gtest/gtest.h>

#include <string>

#include "identity/Md5.h"
#include "update/format/FileDigests.h"
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
