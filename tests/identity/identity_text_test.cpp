// The fingerprint texts from crafted raw answers: cleaning in GBK, the field
// cuts, the ATA serial, the processor word, the adapter walk and the BIOS
// choice.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "identity/IdentityText.h"
#include "identity/MachineInfo.h"

namespace {

TEST(IdentityCleaning, RemovesSpacesFullWidthSpacesAndFF) {
    EXPECT_EQ(CleanIdentityText(" WD-WCC 4E\xFF"
                                "123 "),
              "WD-WCC4E123");
    EXPECT_EQ(CleanIdentityText("A\xA1\xA1"
                                "B\xA1\xA1\xA1\xA1"
                                "C"),
              "ABC");
    EXPECT_EQ(CleanIdentityText("ABC - 1.02"), "ABC-1.02");
    EXPECT_EQ(CleanIdentityText(std::string("AB\0 CD", 6)), "AB") << "the text ends at its NUL";
}

TEST(IdentityCleaning, KeepsDoubleByteCharactersWhole) {
    // B0 A1 is one character; the A1 A1 after it is the full-width space.
    EXPECT_EQ(CleanIdentityText("\xB0\xA1\xA1\xA1X"), "\xB0\xA1X");
    // A second byte 0x20 belongs to its character and is not a space.
    EXPECT_EQ(CleanIdentityText("\xB0\x20Y Z"), "\xB0\x20YZ");
    // A lead byte before the final byte pairs with it; a lone one at the end stays.
    EXPECT_EQ(CleanIdentityText("\xA1\xA1\xA1"), "\xA1");
    EXPECT_EQ(CleanIdentityText("X \xD6"), "X\xD6");
}

TEST(IdentityFields, FirstAndLastFifteen) {
    char field[16];
    CopyFirstCharacters(field, sizeof(field), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_STREQ(field, "ABCDEFGHIJKLMNO");
    CopyLastCharacters(field, sizeof(field), "ABCDEFGHIJKLMNOPQR");
    EXPECT_STREQ(field, "DEFGHIJKLMNOPQR");
    CopyLastCharacters(field, sizeof(field), "SHORT");
    EXPECT_STREQ(field, "SHORT");
    // A double-byte character that would be cut in half is left out whole.
    CopyFirstCharacters(field, sizeof(field), "ABCDEFGHIJKLMN\xD6\xD0");
    EXPECT_STREQ(field, "ABCDEFGHIJKLMN");
    CopyLastCharacters(field, sizeof(field),
                       "\xD6\xD0"
                       "BCDEFGHIJKLMNOP");
    EXPECT_STREQ(field, "BCDEFGHIJKLMNOP");
}

IdentifyWords WordsWithSerial(const char (&serial)[21]) {
    IdentifyWords words = {};
    for (int i = 0; i < 10; ++i) {
        words[10 + i] = static_cast<std::uint16_t>(static_cast<unsigned char>(serial[2 * i]) << 8 |
                                                   static_cast<unsigned char>(serial[2 * i + 1]));
    }
    words[27] = 0x5744;  // a model number, to show only words 10-19 count
    return words;
}

TEST(IdentitySerial, TwentyCharactersFromWordsTenToNineteen) {
    const std::string serial = SerialFromIdentify(WordsWithSerial("  WD-WCC4E1234567   "));
    EXPECT_EQ(serial, "  WD-WCC4E1234567") << "leading spaces stay, trailing ones go";
    char field[16];
    CopyLastCharacters(field, sizeof(field), CleanIdentityText(serial));
    EXPECT_STREQ(field, "WD-WCC4E1234567");

    EXPECT_EQ(SerialFromIdentify(WordsWithSerial("                    ")), " ")
        << "position 0 is never removed";
    EXPECT_EQ(SerialFromIdentify(IdentifyWords{}), "") << "both disk paths failed";
}

TEST(IdentityWords, ProcessorAndVersionTexts) {
    EXPECT_EQ(ProcessorWordText(0x0FEBFBFF), "0FEBFBFF");
    EXPECT_EQ(ProcessorWordText(0x000000AB), "000000AB");
    EXPECT_EQ(SystemVersionText(6, 2, 9200), "Win:6.2.9200");
    EXPECT_EQ(SystemVersionText(4294967295u, 4294967295u, 4294967295u).size(), 15u);
}

TEST(IdentityAdapters, FirstNonZeroAddress) {
    EXPECT_EQ(FirstAdapterMacText({{0, 0, 0, 0, 0, 0},
                                   {0, 0, 0, 0, 0, 0},
                                   {0x02, 0xFC, 0, 0, 0, 0x1a},
                                   {0x52, 0x54, 0, 0x12, 0x34, 0x56}}),
              "02FC0000001A");
    EXPECT_EQ(FirstAdapterMacText({{0, 0, 0, 0, 0, 0}}), "");
    EXPECT_EQ(FirstAdapterMacText({}), "");
}

TEST(IdentityRegistry, ValueTextStopsAtItsFirstStringAndItsSize) {
    const unsigned char multi[] = "BIOS A\0BIOS B\0";
    EXPECT_EQ(TextOfRegistryData(multi, sizeof(multi)), "BIOS A");
    unsigned char full[256];
    std::fill(std::begin(full), std::end(full), 'x');
    EXPECT_EQ(TextOfRegistryData(full, sizeof(full)).size(), 256u);
}

TEST(IdentityBios, ChosenByVersionWithTheBoardFallback) {
    std::map<std::string, std::string> values;
    const RegistryTextReader read = [&](const char* key,
                                        const char* value) -> std::optional<std::string> {
        const auto it = values.find(std::string(key) + "|" + value);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
    const std::string bios = "HARDWARE\\DESCRIPTION\\System\\BIOS|";
    values["HARDWARE\\DESCRIPTION\\System|SystemBiosVersion"] = "AWARD - 6.00PG";
    values[bios + "BIOSVersion"] = "DELL - 1072009";
    values[bios + "BaseBoardProduct"] = "0X DH 29";
    EXPECT_EQ(BiosText(5, read), "AWARD-6.00PG");
    EXPECT_EQ(BiosText(6, read), "DELL-1072009");

    values[bios + "BIOSVersion"] = " A M I ";
    EXPECT_EQ(BiosText(6, read), "0XDH29") << "5 characters or fewer: the board's name";
    // The limit itself, counted after cleaning: 5 falls back, 6 stays.
    values[bios + "BIOSVersion"] = "1.0 - 2";
    EXPECT_EQ(BiosText(6, read), "0XDH29") << "5 characters after cleaning";
    values[bios + "BIOSVersion"] = "1.0 - 23";
    EXPECT_EQ(BiosText(6, read), "1.0-23") << "6 characters after cleaning";
    values[bios + "BIOSVersion"] = " A M I ";
    EXPECT_EQ(BiosText(5, read), "AWARD-6.00PG") << "older systems have no fallback";
    values.erase(bios + "BaseBoardProduct");
    EXPECT_EQ(BiosText(6, read), "AMI");
    values.erase(bios + "BIOSVersion");
    EXPECT_EQ(BiosText(10, read), "");
}

}  // namespace
