// Turning the raw answers of the hardware and registry queries into the
// fingerprint texts. Kept apart from the Win32 calls so that every rule runs
// under the sanitizers and the fuzzer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/GbkText.h"

// Tells whether a byte starts a double-byte character in the code page the
// text is in. The GBK rule is the default; the Win32 side passes the
// system's own.
using LeadBytePredicate = bool (*)(unsigned char byte);

// Removes every space, GBK full-width space (A1 A1) and 0xFF byte. The text
// is walked character by character, so the two bytes of a double-byte
// character are never split or matched across two characters. Stops at the
// first NUL.
std::string CleanIdentityText(std::string_view text, LeadBytePredicate isLead = IsGbkLeadByte);

// Copies the first (or last) characters of `text` that fit a field of
// `fieldSize` bytes with its NUL, never cutting a double-byte character in
// half. The field is zero-filled first.
void CopyFirstCharacters(char* field, std::size_t fieldSize, std::string_view text,
                         LeadBytePredicate isLead = IsGbkLeadByte);
void CopyLastCharacters(char* field, std::size_t fieldSize, std::string_view text,
                        LeadBytePredicate isLead = IsGbkLeadByte);

// The ATA serial-number field of IDENTIFY data (words 10 to 19, high byte
// first), its trailing spaces cut down to position 1. Leading spaces stay.
using IdentifyWords = std::array<std::uint16_t, 256>;
std::string SerialFromIdentify(const IdentifyWords& words);

// "Win:major.minor.build".
std::string SystemVersionText(unsigned long major, unsigned long minor, unsigned long build);

// The processor feature word as 8 upper-case hex digits, most significant
// byte first.
std::string ProcessorWordText(std::uint32_t word);

// The first address whose six bytes are not all zero, as 12 upper-case hex
// digits; empty when every address is zero.
using AdapterAddress = std::array<std::uint8_t, 6>;
std::string FirstAdapterMacText(const std::vector<AdapterAddress>& addresses);

// A registry value's bytes as text: up to its first NUL (a multi-string
// counts by its first string), and never beyond `size` bytes.
std::string TextOfRegistryData(const unsigned char* data, std::size_t size);

// Reads a text value of a key under HKEY_LOCAL_MACHINE; nothing when the key
// or the value cannot be read.
using RegistryTextReader =
    std::function<std::optional<std::string>(const char* key, const char* value)>;

// The BIOS text before it is cut to its field: the BIOS version by the
// system's major version, or the main-board product name when a version 6+
// BIOS text cleans to 5 characters or fewer. Empty when nothing is readable.
std::string BiosText(unsigned long majorVersion, const RegistryTextReader& read,
                     LeadBytePredicate isLead = IsGbkLeadByte);
