// Feeds arbitrary bytes to the markup decoder in every encoding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/markup/MarkupDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = SkinUI::Utf8ToUtf16(bytes);
    // Every byte yields at most one UTF-16 unit, or two for a four-byte form.
    if (wide.size() > bytes.size())
        __builtin_trap();
    auto identity = [](const std::u16string& in, std::string& out) {
        out.assign(in.size(), 'x');
        return true;
    };
    std::string text;
    std::string error;
    for (auto encoding : {SkinUI::MarkupEncoding::Utf8, SkinUI::MarkupEncoding::Utf16,
                          SkinUI::MarkupEncoding::Ansi}) {
        SkinUI::DecodeMarkup(bytes, encoding, identity, text, error);
    }
    return 0;
}
