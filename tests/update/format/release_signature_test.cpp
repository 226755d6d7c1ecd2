#include <gtest/gtest.h>

#include <string>

#include "update/format/MirrorFormat.h"
#include "update/format/PatchIndex.h"
#include "update/format/ReleaseSignature.h"

namespace {

constexpr int64_t kNow = 1796000000;  // 2026-11-29
const char kVersion[] = "1.7.0\n20261207aabbccddeeff";

struct Keys {
    Keys() { MakeReleaseKeyPair(pub, secret); }
    ReleasePublicKey pub{};
    ReleaseSecretKey secret{};
};

// Scrambling is randomised, so the list is made once.
const std::string& FileListText() {
    static const std::string text =
        *EncodeFileList({{"\\Lobby.exe", 3, "900150983cd24fb0d6963f7d28e17f72"},
                         {"\\Res\\名 字.png", 0, "d41d8cd98f00b204e9800998ecf8427e"}});
    return text;
}

ReleaseManifest Manifest(uint64_t release = 7) {
    ReleaseManifest m;
    m.release = release;
    m.expires = kNow + 86400;
    m.stamp = "20261207aabbccddeeff";
    m.versionSha256 = Sha256Of(kVersion);
    m.listSha256 = Sha256Of(FileListText());
    m.files = {{"\\Lobby.exe", Sha256Of("abc")}, {"\\Res\\名 字.png", Sha256Of("")}};
    return m;
}

ReleaseVerdict Verify(const std::string& sig, const std::vector<ReleasePublicKey>& keys,
                      uint64_t highest = 0, int64_t now = kNow,
                      const std::string& version = kVersion) {
    SignedRelease out;
    return VerifyRelease(sig, keys, now, highest, version, out);
}

TEST(ReleaseSignature, SignedReleaseReadsBackAndVerifies) {
    Keys k;
    const std::string sig = SignRelease(Manifest(), k.secret);
    SignedRelease out;
    ASSERT_EQ(VerifyRelease(sig, {k.pub}, kNow, 7, kVersion, out), ReleaseVerdict::Accepted);
    EXPECT_EQ(out.manifest.release, 7u);
    EXPECT_EQ(out.manifest.expires, kNow + 86400);
    ASSERT_EQ(out.manifest.files.size(), 2u);
    EXPECT_EQ(out.manifest.files[1].name, "\\Res\\名 字.png");
    EXPECT_EQ(ToHex(out.manifest.files[0].sha256),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(CheckSignedFileList(out.manifest, FileListText()), ReleaseVerdict::Accepted);
    ASSERT_NE(FindSignedFile(out.manifest, "\\Lobby.exe"), nullptr);
    EXPECT_EQ(FindSignedFile(out.manifest, "\\lobby.exe"), nullptr);
}

TEST(ReleaseSignature, EitherOfTwoKeysSigns) {
    Keys current, next, other;
    const std::vector<ReleasePublicKey> both = {current.pub, next.pub};
    EXPECT_EQ(Verify(SignRelease(Manifest(), current.secret), both), ReleaseVerdict::Accepted);
    EXPECT_EQ(Verify(SignRelease(Manifest(), next.secret), both), ReleaseVerdict::Accepted);
    EXPECT_EQ(Verify(SignRelease(Manifest(), other.secret), both), ReleaseVerdict::BadSignature);
    EXPECT_EQ(Verify(SignRelease(Manifest(), current.secret), {}), ReleaseVerdict::BadSignature);
}

TEST(ReleaseSignature, AnyChangedByteIsRefused) {
    Keys k;
    const std::string sig = SignRelease(Manifest(), k.secret);
    for (size_t i = 0; i < sig.size(); ++i) {
        std::string damaged = sig;
        damaged[i] = static_cast<char>(damaged[i] ^ (damaged[i] == '\n' ? 0x2a : 0x01));
        EXPECT_NE(Verify(damaged, {k.pub}), ReleaseVerdict::Accepted) << "byte " << i;
    }
    // Lines added, dropped or cut off.
    EXPECT_NE(Verify(sig + "file 00 \\x\n", {k.pub}), ReleaseVerdict::Accepted);
    EXPECT_EQ(Verify(sig.substr(0, sig.size() - 1), {k.pub}), ReleaseVerdict::Malformed);
    EXPECT_EQ(Verify(sig.substr(0, sig.size() / 2), {k.pub}), ReleaseVerdict::Malformed);
    EXPECT_EQ(Verify("", {k.pub}), ReleaseVerdict::Malformed);
    std::string crlf;
    for (char c : sig)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Verify(crlf, {k.pub}), ReleaseVerdict::Malformed);
}

TEST(ReleaseSignature, ExpiryRollbackAndVersionText) {
    Keys k;
    const std::string sig = SignRelease(Manifest(7), k.secret);
    EXPECT_EQ(Verify(sig, {k.pub}, 0, kNow + 86399), ReleaseVerdict::Accepted);
    EXPECT_EQ(Verify(sig, {k.pub}, 0, kNow + 86400), ReleaseVerdict::Expired);
    // The same release again is fine; an older one after a newer is not.
    EXPECT_EQ(Verify(sig, {k.pub}, 7), ReleaseVerdict::Accepted);
    EXPECT_EQ(Verify(sig, {k.pub}, 8), ReleaseVerdict::RolledBack);
    EXPECT_EQ(Verify(sig, {k.pub}, 0, kNow, "1.7.1\n20261207aabbccddeeff"),
              ReleaseVerdict::HashMismatch);

    ReleaseManifest m = Manifest();
    m.stamp = "another-stamp-000000";  // ver.html hash right, stamp line wrong
    EXPECT_EQ(Verify(SignRelease(m, k.secret), {k.pub}), ReleaseVerdict::HashMismatch);
}

TEST(ReleaseSignature, FileListMustBeTheSignedOne) {
    const ReleaseManifest m = Manifest();
    std::string list = FileListText();
    EXPECT_EQ(CheckSignedFileList(m, list), ReleaseVerdict::Accepted);
    list[5] = list[5] == 'a' ? 'b' : 'a';
    EXPECT_EQ(CheckSignedFileList(m, list), ReleaseVerdict::HashMismatch);

    // Signed hash of a list whose entries differ from the signed names.
    ReleaseManifest renamed = m;
    renamed.files[0].name = "\\Other.exe";
    EXPECT_EQ(CheckSignedFileList(renamed, FileListText()), ReleaseVerdict::HashMismatch);
    renamed.files.pop_back();
    renamed.files[0].name = "\\Lobby.exe";
    EXPECT_EQ(CheckSignedFileList(renamed, FileListText()), ReleaseVerdict::HashMismatch);
}

TEST(ReleaseSignature, NamesThatWouldBreakTheFormatAreNotSigned) {
    Keys k;
    ReleaseManifest m = Manifest();
    m.files[0].name = "\\a\nrelease 99";
    EXPECT_EQ(SignRelease(m, k.secret), "");
    m = Manifest();
    m.stamp = "x\n";
    EXPECT_EQ(SignRelease(m, k.secret), "");
}

TEST(ReleaseSignature, UtcTimes) {
    EXPECT_EQ(ParseUtc("1970-01-01T00:00:00Z"), 0);
    EXPECT_EQ(ParseUtc("2024-02-29T23:59:59Z"), 1709251199);
    EXPECT_EQ(FormatUtc(1709251199), "2024-02-29T23:59:59Z");
    EXPECT_EQ(ParseUtc(FormatUtc(kNow)), kNow);
    for (const char* bad : {"2023-02-29T00:00:00Z", "2024-04-31T00:00:00Z", "2024-13-01T00:00:00Z",
                            "2024-01-01T24:00:00Z", "2024-01-01 00:00:00Z", "2024-01-01T00:00:00",
                            "2024-1-01T00:00:00Z", "+024-01-01T00:00:00Z"}) {
        EXPECT_FALSE(ParseUtc(bad).has_value()) << bad;
    }
}

TEST(ReleaseSignature, ConfiguredKeys) {
    const std::string a(64, 'a'), b(64, 'B');
    EXPECT_EQ(ParseReleaseKeys("")->size(), 0u);
    EXPECT_EQ(ParseReleaseKeys(a)->size(), 1u);
    const auto two = ParseReleaseKeys(a + ";" + b);
    ASSERT_TRUE(two);
    ASSERT_EQ(two->size(), 2u);
    EXPECT_EQ((*two)[1][0], 0xbb);
    EXPECT_EQ(ParseReleaseKeys(" " + a + ", " + b + " ")->size(), 2u);
    EXPECT_FALSE(ParseReleaseKeys(a.substr(1)));
    EXPECT_FALSE(ParseReleaseKeys(a + ";" + std::string(64, 'g')));
}

}  // namespace

namespace {

PatchIndex SampleIndex() {
    PatchIndex index;
    index.stamp = "20261207aabbccddeeff";
    index.compressed["900150983cd24fb0d6963f7d28e17f72"] = 40;
    index.patches[{"900150983cd24fb0d6963f7d28e17f72", "d41d8cd98f00b204e9800998ecf8427e"}] = 12;
    return index;
}

}  // namespace

TEST(PatchIndexTest, ReadsOnlyWhatTheReleaseKeySignedWhenSigned) {
    const Keys keys, other;
    const std::string plain = FormatPatchIndex(SampleIndex());
    const std::string signedText = AppendSignature(plain, keys.secret);

    const auto read = ParsePatchIndex(signedText, {other.pub, keys.pub});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->stamp, "20261207aabbccddeeff");
    EXPECT_EQ(read->compressed, SampleIndex().compressed);
    EXPECT_EQ(read->patches, SampleIndex().patches);
    // An unsigned launcher reads the signed index as it is.
    EXPECT_TRUE(ParsePatchIndex(signedText, {}));

    EXPECT_FALSE(ParsePatchIndex(plain, {keys.pub}));
    EXPECT_FALSE(ParsePatchIndex(signedText, {other.pub}));
    std::string enlarged = signedText;
    enlarged.replace(enlarged.find(" 12\n"), 4, " 99\n");
    EXPECT_FALSE(ParsePatchIndex(enlarged, {keys.pub}));
}

TEST(PatchIndexTest, RefusesMalformedIndexesWhole) {
    const std::string good = FormatPatchIndex(SampleIndex());
    ASSERT_TRUE(ParsePatchIndex(good, {}));
    for (const std::string& bad : {
             std::string("launcher-patches 2\nstamp s\n"),
             std::string("launcher-patches 1\n"),
             good + "zst 900150983CD24FB0D6963F7D28E17F72 1\n",
             good + "zst 900150983cd24fb0d6963f7d28e17f72 -1\n",
             good + "patch 900150983cd24fb0d6963f7d28e17f72 1\n",
             good + "\n",
             good + "signature 00\nzst 900150983cd24fb0d6963f7d28e17f72 1\n",
             good.substr(0, good.size() - 1),
         }) {
        EXPECT_FALSE(ParsePatchIndex(bad, {})) << bad;
    }
    PatchIndex blankStamp = SampleIndex();
    blankStamp.stamp = "a b";
    EXPECT_EQ(FormatPatchIndex(blankStamp), "");
}
