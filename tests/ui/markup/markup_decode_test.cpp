// Markup decoding in every encoding a skin file may use, in both builds.
#include <gtest/gtest.h>

#include <string>

#include "ui/markup/MarkupDecode.h"

using namespace SkinUI;

namespace {

// Stands in for the code-page step: UTF-16 units below 0x100 as bytes, the
// rest as '?', so the tests see exactly what decoding produced.
bool ToLatin(const std::u16string& wide, std::string& out) {
    out.clear();
    for (char16_t c : wide)
        out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return true;
}

std::u16string Units(const std::string& utf8) {
    return Utf8ToUtf16(utf8);
}

TEST(MarkupDecodeTest, Utf8WithAndWithoutMark) {
    std::string text;
    std::string error;
    ASSERT_TRUE(DecodeMarkup("\xEF\xBB\xBF<a/>", MarkupEncoding::Utf8, ToLatin, text, error));
    EXPECT_EQ(text, "<a/>");
    ASSERT_TRUE(DecodeMarkup("<\xC3\xA9/>", MarkupEncoding::Utf8, ToLatin, text, error));
    EXPECT_EQ(text, "<\xE9/>");
    EXPECT_EQ(Units("\xE6\xB8\xB8"), std::u16string(1, u'\u6E38'));
    EXPECT_EQ(Units("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
    ASSERT_TRUE(DecodeMarkup("\xEF\xBB\xBF", MarkupEncoding::Utf8, ToLatin, text, error));
    EXPECT_TRUE(text.empty());
}

TEST(MarkupDecodeTest, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Units("a\x80z"), (std::u16string{u'a', 0xFFFD, u'z'}));
    EXPECT_EQ(Units("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(Units("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Units("\xE6\xB8"), (std::u16string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(Units("\xF4\x90\x80\x80"), std::u16string(4, 0xFFFD));
}

TEST(MarkupDecodeTest, Utf16NeedsAMarkAndHonoursItsOrder) {
    std::string text;
    std::string error;
    ASSERT_TRUE(DecodeMarkup(std::string("\xFF\xFE<\0a\0", 6), MarkupEncoding::Utf16, ToLatin, text,
                             error));
    EXPECT_EQ(text, "<a");
    ASSERT_TRUE(DecodeMarkup(std::string("\xFE\xFF\0<\0a\0", 7), MarkupEncoding::Utf16, ToLatin,
                             text, error));
    EXPECT_EQ(text, "<a");
    EXPECT_FALSE(
        DecodeMarkup(std::string("<\0a\0", 4), MarkupEncoding::Utf16, ToLatin, text, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(DecodeMarkup("\x81\x40", MarkupEncoding::Ansi, ToLatin, text, error));
    EXPECT_EQ(text, "\x81\x40");
    auto failing = [](const std::u16string&, std::string&) { return false; };
    EXPECT_FALSE(DecodeMarkup("<a/>", MarkupEncoding::Utf8, failing, text, error));
}

}  // namespace
