#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "identity/HexCodec.h"
#include "update/format/MirrorFormat.h"

namespace {

const char kDigest[] = "0cc175b9c0f1b6a831c399e269772661";

std::string Lines(std::initializer_list<std::string> plain, const std::string& separator) {
    std::string text;
    for (const std::string& line : plain)
        text += ScrambleText(line) + separator;
    return text;
}

TEST(VersionText, SplitsDisplayAndStamp) {
    const VersionText v = ParseVersionText("2.5.0\n20261207aabbccddeeff");
    EXPECT_EQ(v.display, "2.5.0");
    EXPECT_EQ(v.stamp, "20261207aabbccddeeff");

    const VersionText shortBody = ParseVersionText("0123456789");
    EXPECT_EQ(shortBody.stamp, "0123456789");
    EXPECT_EQ(shortBody.display, "");

    // 21 characters: only the separator is left before the stamp.
    EXPECT_EQ(ParseVersionText("x20261207aabbccddeeff").display, "");
    // Any separator is dropped; a trailing line break belongs to the stamp.
    EXPECT_EQ(ParseVersionText("1.0|20261207aabbccddeeff").display, "1.0");
    EXPECT_EQ(ParseVersionText("1.0\n20261207aabbccddeeff\n").stamp, "0261207aabbccddeeff\n");
    EXPECT_EQ(ParseVersionText("").stamp, "");
}

TEST(VersionText, ReadsBackWhatIsWritten) {
    const VersionText v = ParseVersionText(FormatVersionText("3.0 测试", "ABCDEFGHIJ0123456789"));
    EXPECT_EQ(v.display, "3.0 测试");
    EXPECT_EQ(v.stamp, "ABCDEFGHIJ0123456789");
}

TEST(FileList, LineBreaksOfAnyKindSeparateLines) {
    const std::string plain = Lines({"\\Lobby.exe", "524288", kDigest}, "\r\n");
    const std::string gappy = Lines({"\\Lobby.exe", "524288", kDigest}, "\r\n\n\r\r\n");
    for (const std::string& text : {plain, gappy}) {
        const FileList list = DecodeFileList(text);
        ASSERT_EQ(list.files.size(), 1u);
        EXPECT_EQ(list.files[0].name, "\\Lobby.exe");
        EXPECT_EQ(list.files[0].size, 524288);
        EXPECT_EQ(list.files[0].md5, kDigest);
        EXPECT_FALSE(list.unfinishedName);
    }
    EXPECT_EQ(SplitListLines("\na\r\rb\n").size(), 3u) << "leading break gives an empty line";
    EXPECT_TRUE(SplitListLines("").empty());
}

TEST(FileList, LeadingBreakShiftsEveryField) {
    const FileList list = DecodeFileList("\n" + Lines({"\\a.txt", "5", kDigest}, "\n"));
    ASSERT_EQ(list.files.size(), 1u);
    EXPECT_EQ(list.files[0].name, "");
    EXPECT_EQ(list.files[0].size, 0) << "the name line read as a size";
    EXPECT_EQ(list.files[0].md5, "5");
    EXPECT_EQ(list.unfinishedName, kDigest);
}

TEST(FileList, CutShortGroupNeverBecomesAnEntry) {
    const FileList onlyName = DecodeFileList(Lines({"\\a", "1", kDigest, "\\b"}, "\n"));
    EXPECT_EQ(onlyName.files.size(), 1u);
    EXPECT_EQ(onlyName.unfinishedName, "\\b");
    const FileList nameAndSize = DecodeFileList(Lines({"\\a", "1", kDigest, "\\b", "2"}, "\n"));
    EXPECT_EQ(nameAndSize.files.size(), 1u);
    EXPECT_EQ(nameAndSize.unfinishedName, "\\b");
}

TEST(FileList, KeepsDuplicatesAndUndecodableLinesInPlace) {
    const std::string entry = Lines({"\\same", "1", kDigest}, "\n");
    const std::string broken = "not a scrambled line\n" + Lines({"7", kDigest}, "\n");
    const FileList list = DecodeFileList(entry + broken + entry);
    ASSERT_EQ(list.files.size(), 3u);
    EXPECT_EQ(list.files[0].name, "\\same");
    EXPECT_EQ(list.files[1].name, "") << "a broken line still counts as a line";
    EXPECT_EQ(list.files[1].size, 7);
    EXPECT_EQ(list.files[2].name, "\\same");
}

TEST(FileList, SizesReadLikeAtoiWithoutOverflow) {
    EXPECT_EQ(ParseListedSize("  \t42"), 42);
    EXPECT_EQ(ParseListedSize("+7"), 7);
    EXPECT_EQ(ParseListedSize("-3"), -3);
    EXPECT_EQ(ParseListedSize("12abc"), 12);
    EXPECT_EQ(ParseListedSize("abc"), 0);
    EXPECT_EQ(ParseListedSize("- 5"), 0);
    EXPECT_EQ(ParseListedSize("6442450944"), 6442450944) << "6 GiB fits";
    EXPECT_EQ(ParseListedSize("99999999999999999999999"), INT64_MAX);
}

TEST(FileList, EncodesWhatDecodes) {
    const std::vector<ListedFile> files = {{"\\Lobby.exe", 524288, kDigest},
                                           {"\\Res\\图片\\x.png", 0, kDigest}};
    const auto text = EncodeFileList(files);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(text->size() - 2), "\r\n");
    const FileList list = DecodeFileList(*text);
    ASSERT_EQ(list.files.size(), 2u);
    EXPECT_EQ(list.files[1].name, files[1].name);

    EXPECT_FALSE(EncodeFileList({{"\\" + std::string(56, 'n'), 1, kDigest}}));
    EXPECT_TRUE(EncodeFileList({{"\\" + std::string(55, 'n'), 1, kDigest}}));
    EXPECT_FALSE(EncodeFileList({{"\\a\nb", 1, kDigest}}));
}

TEST(ListedName, RefusesNamesThatLeaveTheInstallationOrWindowsCannotStore) {
    for (const char* good : {"\\Lobby.exe", "\\Res\\x.png", "Lobby.exe", "\\a..b\\c", "\\..foo",
                             "\\dir/file", "\\CONSOLE.txt", "\\COM10", "\\LPT0.dll", "\\auxx.h",
                             "\\x\xD7\\\\y", "\\\xC3\xFB\xD7\xD6.png"}) {
        EXPECT_TRUE(IsSafeListedName(good)) << good;
    }
    for (const char* bad : {"",           "\\..\\x",        "\\a\\..",
                            "..",         "/../x",          "\\a/../../b",
                            "\\C:\\x",    "\\x.txt:stream", "\\a\\... \\x",
                            "\\a\tb",     "\\.\\x",         "\\foo.",
                            "\\foo ",     "\\dir.\\x",      "\\CON",
                            "\\con",      "\\Res\\aux.h",   "\\COM1",
                            "\\lpt9.dll", "\\nul.tar.gz",   "\\CON .txt",
                            "\\CONIN$",   "\\conout$.log",  "\\PRN/x",
                            "\\a\xC3",    "\\a\xC3/b",      "\\a\xC3 b"}) {
        EXPECT_FALSE(IsSafeListedName(bad)) << bad;
    }
}

TEST(ListedName, NamesThatFoldToOneFileCollide) {
    const std::vector<std::string_view> names = {
        "\\A.txt", "\\a.txt", "\\Lobby.exe", "\\Lobby.exe", "\\sub/X", "\\SUB\\x",
        // 0xD7 0x41 and 0xD7 0x61 are two GBK characters, not one letter's cases.
        "\\\xD7\x41", "\\\xD7\x61",
        // Windows folds GBK's Cyrillic, Greek, full-width and Roman letters:
        // Я and я, Ω and ω, Ａ and ａ, Ⅹ and ⅹ. Ⅻ has no lower case in GBK,
        // and 0xA2 0xAC, where it would be, stays apart.
        "\\\xA7\xC1", "\\\xA7\xF1", "\\\xA6\xB8", "\\\xA6\xD8", "\\\xA3\xC1", "\\\xA3\xE1",
        "\\\xA2\xFA", "\\\xA2\xAA", "\\\xA2\xFC", "\\\xA2\xAC"};
    std::vector<bool> expected = {true, true, false, false, true, true, false, false};
    expected.insert(expected.end(), 8, true);
    expected.insert(expected.end(), {false, false});
    EXPECT_EQ(FindFoldedCollisions(names), expected);

    // A file and a folder of one name: Windows holds one of them only.
    const std::vector<std::string_view> nested = {
        "\\a", "\\A\\b.txt", "\\c\\d", "\\c\\d\\e\\f.txt", "\\x\\y.txt", "\\x\\z.txt",
        // 誠 (D5 5C) ends in the byte of a backslash: "\a誠b" is no file
        // "b" in a folder named by the bytes before it.
        "\\a\xD5\x5C"
        "b",
        "\\a\xD5"};
    EXPECT_EQ(FindFoldedCollisions(nested),
              (std::vector<bool>{true, true, true, true, false, false, false, false}));

    // A list may repeat one name as often as its cap allows; compared pair by
    // pair, 200,000 repeats held the file check for many minutes. The work
    // must grow with the list, not with its pairs.
    std::vector<std::string_view> repeated(2000, "\\a");
    size_t comparisons = 0;
    std::vector<bool> found = FindFoldedCollisions(repeated, &comparisons);
    EXPECT_EQ(std::count(found.begin(), found.end(), true), 0);
    repeated.push_back("\\A");
    found = FindFoldedCollisions(repeated, &comparisons);
    EXPECT_EQ(std::count(found.begin(), found.end(), true), 2001);
    EXPECT_LT(comparisons, 10 * repeated.size());
}

TEST(ListedName, UrlPathUsesForwardSlashesThroughout) {
    EXPECT_EQ(ToUrlPath("\\Res\\x.png"), "/Res/x.png");
    EXPECT_EQ(ToUrlPath("Lobby.exe"), "Lobby.exe");
    EXPECT_EQ(ToUrlPath("\\a\\\\b"), "/a//b");
    // A GBK character whose second byte is 0x5C keeps it; it is no separator.
    EXPECT_EQ(ToUrlPath("\\\xF2\x5C\\x"), "/\xF2\x5C/x");
}

TEST(ListedName, LastSeparatorSkipsGbkTrailBytes) {
    // 誠 is D5 5C in GBK: its second byte is no separator.
    EXPECT_EQ(FindLastSeparator("\\a\\\xD5\x5C.txt"), 2u);
    EXPECT_EQ(FindLastSeparator("\\x\xD5\x5CLauncher.exe"), 0u);
    EXPECT_EQ(FindLastSeparator("Lobby.exe"), std::string::npos);
    EXPECT_EQ(FindLastSeparator("\xD5\x5C"), std::string::npos);
}

TEST(ListedName, UrlPathsEscapeEveryByteOutsideTheUnreservedSet) {
    EXPECT_EQ(PercentEncodePath("/Res/a-b_c.d~e/X9.png"), "/Res/a-b_c.d~e/X9.png");
    EXPECT_EQ(PercentEncodePath("/a b/100%.txt"), "/a%20b/100%25.txt");
    EXPECT_EQ(PercentEncodePath("/#?+&=;"), "/%23%3F%2B%26%3D%3B");
    EXPECT_EQ(PercentEncodePath("/\xD5\x5C\xFF"), "/%D5%5C%FF");
    EXPECT_EQ(PercentEncodePath(std::string("/\0", 2)), "/%00");
}

}  // namespace
