// The attribute-list parser and the value parsers, in both builds.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/core/AttributeList.h"

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
    int n = 7;
    EXPECT_TRUE(ParseInt(" -12 ", n));
    EXPECT_EQ(n, -12);
    for (const char* bad : {"", " ", "1 2", "12px", "2147483648", "-2147483649"})
        EXPECT_FALSE(ParseInt(bad, n)) << bad;
    EXPECT_EQ(n, -12);
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_FALSE(ParseBool("truex"));
    EXPECT_FALSE(ParseBool("1"));
}

}  // namespace
