#include "ui/markup/MarkupDecode.h"

#include <cstdint>

namespace SkinUI {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

void AppendCodePoint(std::u16string& out, uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        uint32_t cp = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t k = 1;
        while (k < length && i + k < n &&
               IsContinuation(static_cast<unsigned char>(bytes[i + k]))) {
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
            ++k;
        }
        const bool complete = k == length;
        // Overlong forms, surrogates and values past U+10FFFF are not text;
        // the bad lead byte is replaced and the rest read again.
        if (!complete || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += length;
    }
    return out;
}

bool DecodeMarkup(const std::string& bytes, MarkupEncoding encoding, const WideToAnsi& toAnsi,
                  std::string& text, std::string& error) {
    text.clear();
    if (encoding == MarkupEncoding::Ansi) {
        text = bytes;
        return true;
    }
    std::u16string wide;
    if (encoding == MarkupEncoding::Utf8) {
        const bool bom = bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
                         static_cast<unsigned char>(bytes[1]) == 0xBB &&
                         static_cast<unsigned char>(bytes[2]) == 0xBF;
        wide = Utf8ToUtf16(bom ? bytes.substr(3) : bytes);
    } else {
        const unsigned char b0 = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[0]) : 0;
        const unsigned char b1 = bytes.size() >= 2 ? static_cast<unsigned char>(bytes[1]) : 0;
        const bool little = b0 == 0xFF && b1 == 0xFE;
        const bool big = b0 == 0xFE && b1 == 0xFF;
        if (!little && !big) {
            error = "UTF-16 markup without a byte-order mark";
            return false;
        }
        // A trailing odd byte is not a whole unit and is dropped.
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
            const unsigned hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
            wide.push_back(static_cast<char16_t>(lo | (hi << 8)));
        }
    }
    if (wide.empty())
        return true;
    if (!toAnsi(wide, text)) {
        error = "Could not convert the markup to the ANSI code page";
        return false;
    }
    return true;
}

}  // namespace SkinUI
