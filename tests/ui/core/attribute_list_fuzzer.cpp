// Feeds arbitrary text to the attribute-list parser and the value parsers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/core/AttributeList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    SkinUI::ParseAttributeList(
        text.c_str(), [](unsigned char c) { return c >= 0x81 && c <= 0xFE; },
        [&](const std::string& name, const std::string& value) {
            total += name.size() + value.size();
            long numbers[4];
            SkinUI::ParseIntList(value.c_str(), numbers, 4);
            SkinUI::ParseColor(value.c_str());
            int number = 0;
            SkinUI::ParseInt(value.c_str(), number);
            SkinUI::ParseBool(value.c_str());
        });
    // Names and values are pieces of the text, never more than it.
    if (total > text.size())
        __builtin_trap();
    return 0;
}
