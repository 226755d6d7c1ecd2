#include "ui/core/AttributeList.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

namespace {

// Advances over one character, taking a double-byte character whole.
const char* NextChar(const char* p, LeadByteTest isLeadByte) {
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// Scans up to `stop` (outside double-byte characters). Null at the end of text.
const char* ScanTo(const char* p, char stop, LeadByteTest isLeadByte) {
    while (*p != '\0' && *p != stop)
        p = NextChar(p, isLeadByte);
    return *p == stop ? p : nullptr;
}

}  // namespace

size_t ParseAttributeList(const char* text, LeadByteTest isLeadByte, const AttributeSink& sink) {
    if (!text)
        return 0;
    size_t applied = 0;
    const char* p = text;
    while (*p != '\0') {
        const char* equals = ScanTo(p, '=', isLeadByte);
        if (!equals || equals[1] != '"')
            break;
        const char* valueStart = equals + 2;
        const char* closing = ScanTo(valueStart, '"', isLeadByte);
        if (!closing)
            break;
        sink(std::string(p, equals), std::string(valueStart, closing));
        ++applied;
        p = closing + 1;
        if (*p != ' ')
            break;
        ++p;
    }
    return applied;
}

uint32_t ParseColor(const char* text) {
    if (!text)
        return 0;
    while (*text == ' ')
        ++text;
    if (*text == '#')
        ++text;
    const size_t length = std::strlen(text);
    if (length != 8 && length != 6)
        return 0;
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(c))
            return 0;
        const uint32_t digit = std::isdigit(c) ? c - '0' : (std::tolower(c) - 'a' + 10);
        value = (value << 4) | digit;
    }
    return length == 6 ? (0xFF000000u | value) : value;
}

int ParseIntList(const char* text, long* values, int count) {
    for (int i = 0; i < count; ++i)
        values[i] = 0;
    if (!text)
        return 0;
    int read = 0;
    const char* p = text;
    while (read < count) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p)
            break;
        values[read++] = v;
        p = end;
        while (*p == ' ')
            ++p;
        if (*p != ',')
            break;
        ++p;
    }
    return read;
}

bool ParseInt(const char* text, int& value) {
    if (!text)
        return false;
    const char* first = text;
    while (*first == ' ')
        ++first;
    const char* last = first + std::strlen(first);
    while (last > first && last[-1] == ' ')
        --last;
    int parsed = 0;
    const std::from_chars_result result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

bool ParseBool(const char* text) {
    if (!text)
        return false;
    static const char kTrue[] = "true";
    for (size_t i = 0; i < sizeof(kTrue); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != kTrue[i])
            return false;
    }
    return true;
}

}  // namespace SkinUI
