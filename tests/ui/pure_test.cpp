// The pure parsers: attribute lists, attribute values, markup decoding and
// image premultiplying. These run in both builds.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/core/AttributeList.h"
#include "ui/markup/MarkupDecode.h"
#include "ui/package/ImageDecode.h"

using namespace SkinUI;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

bool GbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

Pairs Parse(const char* text, LeadByteTest lead = GbkLead) {
    Pairs pairs;
    ParseAttributeList(text, lead, [&](const std::string& name, const std::string& value) {
        pairs.emplace_back(name, value);
    });
    return pairs;
}

TEST(AttributeListTest, GrammarAndMalformedLists) {
    EXPECT_EQ(Parse("a=\"1\" b=\"two words\" c=\"\""),
              (Pairs{{"a", "1"}, {"b", "two words"}, {"c", ""}}));
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse(nullptr).empty());
    // Each fault stops the list where it is; earlier pairs stay.
    EXPECT_EQ(Parse("a=\"1\" b=2 c=\"3\""), (Pairs{{"a", "1"}}));
    EXPECT_EQ(Parse("a=\"1\",b=\"2\""), (Pairs{{"a", "1"}}));
    EXPECT_EQ(Parse("a=\"1\" b=\"unterminated"), (Pairs{{"a", "1"}}));
    EXPECT_EQ(Parse("a=\"1\" noequals"), (Pairs{{"a", "1"}}));
    EXPECT_EQ(Parse("a=\"1\" "), (Pairs{{"a", "1"}}));
}

TEST(AttributeListTest, DoubleByteCharactersAreTakenWhole) {
    // A lead byte followed by '=' or '"' is one character, not a delimiter.
    const char text[] = "k=\"\x81\x22\" j=\"x\"";
    EXPECT_EQ(Parse(text), (Pairs{{"k", "\x81\x22"}, {"j", "x"}}));
    // Without double-byte awareness the same bytes end the value early.
    EXPECT_EQ(Parse(text, nullptr), (Pairs{{"k", "\x81"}}));
    // A lead byte at the very end does not read past the text.
    EXPECT_TRUE(Parse("k=\"\x81").empty());
}

TEST(AttributeValueTest, ColoursNumbersAndFlags) {
    EXPECT_EQ(ParseColor("#FF0000FF"), 0xFF0000FFu);
    EXPECT_EQ(ParseColor("#80ff8000"), 0x80FF8000u);
    EXPECT_EQ(ParseColor("#123456"), 0xFF123456u);
    EXPECT_EQ(ParseColor("#12345"), 0u);
    EXPECT_EQ(ParseColor("#GG000000"), 0u);
    EXPECT_EQ(ParseColor(nullptr), 0u);
    long v[4];
    EXPECT_EQ(ParseIntList("1, 2,-3,4", v, 4), 4);
    EXPECT_EQ(v[2], -3);
    EXPECT_EQ(ParseIntList("7,x", v, 4), 1);
    EXPECT_EQ(v[1], 0);
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_FALSE(ParseBool("truex"));
    EXPECT_FALSE(ParseBool("1"));
}

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

TEST(ImageDecodeTest, PremultipliesAndMasks) {
    const unsigned char rgba[] = {
        10,  20,  30,  255,  // opaque: unchanged
        200, 100, 50,  128,  // half: multiplied
        255, 0,   255, 255,  // the mask colour: cleared
        0,   0,   0,   0,    // transparent
    };
    DecodedImage image;
    PremultiplyRgba(rgba, 2, 2, 0xFFFF00FF, image);
    EXPECT_TRUE(image.alpha);
    ASSERT_EQ(image.pixels.size(), 4u);
    EXPECT_EQ(image.pixels[0], 0xFF0A141Eu);
    EXPECT_EQ(image.pixels[1], 0x80643219u);
    EXPECT_EQ(image.pixels[2], 0u);
    EXPECT_EQ(image.pixels[3], 0u);

    // An opaque image with no masked pixel has no alpha; one with it has.
    const unsigned char opaque[] = {1, 2, 3, 255, 255, 0, 255, 255};
    PremultiplyRgba(opaque, 1, 1, 0xFFFF00FF, image);
    EXPECT_FALSE(image.alpha);
    PremultiplyRgba(opaque, 2, 1, 0xFFFF00FF, image);
    EXPECT_TRUE(image.alpha);
    EXPECT_FALSE(DecodeImage("not an image", 0, image));
    EXPECT_FALSE(DecodeImage("", 0, image));
}

// A bitmap header with the given size and no pixels after it.
std::string BmpHeader(uint32_t width, uint32_t height) {
    std::string bmp = "BM";
    auto put = [&bmp](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(54, 4);  // file size (ignored)
    put(0, 4);
    put(54, 4);  // pixel offset
    put(40, 4);  // info header size
    put(width, 4);
    put(height, 4);
    put(1, 2);   // planes
    put(24, 2);  // bits per pixel
    for (int i = 0; i < 6; ++i)
        put(0, 4);
    return bmp;
}

TEST(ImageDecodeTest, AHeaderClaimingHugeSizeIsRefusedBeforeAllocating) {
    DecodedImage image;
    EXPECT_TRUE(DecodeImage(BmpHeader(2, 2), 0, image)) << "a short body decodes as black";
    EXPECT_EQ(image.width, 2);
    EXPECT_FALSE(DecodeImage(BmpHeader(4097, 4096), 0, image));
    EXPECT_FALSE(DecodeImage(BmpHeader(30000, 30000), 0, image));
}

}  // namespace
