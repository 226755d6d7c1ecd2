#include "identity/IdentityText.h"

#include <cstdio>
#include <cstring>

namespace {

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// Length of the character that starts at `pos`: two bytes for a lead byte
// with a byte after it, else one.
std::size_t CharacterLength(std::string_view text, std::size_t pos, LeadBytePredicate isLead) {
    return isLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::string CleanIdentityText(std::string_view text, LeadBytePredicate isLead) {
    text = UpToNul(text);
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharacterLength(text, pos, isLead);
        const std::string_view character = text.substr(pos, length);
        if (character != " " && character != "\xA1\xA1" && character != "\xFF")
            result.append(character);
        pos += length;
    }
    return result;
}

void CopyFirstCharacters(char* field, std::size_t fieldSize, std::string_view text,
                         LeadBytePredicate isLead) {
    std::memset(field, 0, fieldSize);
    text = UpToNul(text);
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t length = CharacterLength(text, end, isLead);
        if (end + length > fieldSize - 1)
            break;
        end += length;
    }
    std::memcpy(field, text.data(), end);
}

void CopyLastCharacters(char* field, std::size_t fieldSize, std::string_view text,
                        LeadBytePredicate isLead) {
    std::memset(field, 0, fieldSize);
    text = UpToNul(text);
    // Character starts are only known from the front: take the first start
    // from which the rest fits.
    std::size_t start = 0;
    while (text.size() - start > fieldSize - 1)
        start += CharacterLength(text, start, isLead);
    std::memcpy(field, text.data() + start, text.size() - start);
}

std::string SerialFromIdentify(const IdentifyWords& words) {
    char serial[21] = {};
    for (int i = 0; i < 10; ++i) {
        serial[2 * i] = static_cast<char>(words[10 + i] >> 8);
        serial[2 * i + 1] = static_cast<char>(words[10 + i] & 0xFF);
    }
    for (int pos = 19; pos > 0 && serial[pos] == ' '; --pos)
        serial[pos] = '\0';
    return serial;
}

std::string SystemVersionText(unsigned long major, unsigned long minor, unsigned long build) {
    char text[16];
    std::snprintf(text, sizeof(text), "Win:%lu.%lu.%lu", major, minor, build);
    return text;
}

std::string ProcessorWordText(std::uint32_t word) {
    char text[9];
    std::snprintf(text, sizeof(text), "%02X%02X%02X%02X", (word >> 24) & 0xFF, (word >> 16) & 0xFF,
                  (word >> 8) & 0xFF, word & 0xFF);
    return text;
}

std::string FirstAdapterMacText(const std::vector<AdapterAddress>& addresses) {
    for (const AdapterAddress& address : addresses) {
        if (address == AdapterAddress{})
            continue;
        char text[13];
        std::snprintf(text, sizeof(text), "%02X%02X%02X%02X%02X%02X", address[0], address[1],
                      address[2], address[3], address[4], address[5]);
        return text;
    }
    return std::string();
}

std::string TextOfRegistryData(const unsigned char* data, std::size_t size) {
    return std::string(UpToNul(std::string_view(reinterpret_cast<const char*>(data), size)));
}

std::string BiosText(unsigned long majorVersion, const RegistryTextReader& read,
                     LeadBytePredicate isLead) {
    if (majorVersion <= 5) {
        const auto version = read("HARDWARE\\DESCRIPTION\\System", "SystemBiosVersion");
        return version ? CleanIdentityText(*version, isLead) : std::string();
    }
    constexpr char kBiosKey[] = "HARDWARE\\DESCRIPTION\\System\\BIOS";
    const auto version = read(kBiosKey, "BIOSVersion");
    if (!version)
        return std::string();
    std::string text = CleanIdentityText(*version, isLead);
    // Many boards leave the version nearly empty; their product name tells
    // machines apart better.
    if (text.size() <= 5) {
        if (const auto product = read(kBiosKey, "BaseBoardProduct"))
            text = CleanIdentityText(*product, isLead);
    }
    return text;
}
