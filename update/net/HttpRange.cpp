#include "update/net/HttpRange.h"

#include <limits>

namespace {

// Reads a decimal number at the front of text; false without digits or on
// overflow.
bool TakeNumber(std::string_view& text, uint64_t& value) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    size_t i = 0;
    value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (kMax - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    text.remove_prefix(i);
    return i > 0;
}

bool TakeText(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected)
        return false;
    text.remove_prefix(expected.size());
    return true;
}

}  // namespace

std::string RangeRequestHeader(uint64_t offset) {
    return "Range: bytes=" + std::to_string(offset) + "-\r\n";
}

bool ContentRangeResumes(std::string_view text, uint64_t offset, uint64_t bodyLength) {
    uint64_t first = 0, last = 0, total = 0;
    if (!TakeText(text, "bytes ") || !TakeNumber(text, first) || !TakeText(text, "-") ||
        !TakeNumber(text, last) || !TakeText(text, "/") || !TakeNumber(text, total) ||
        !text.empty()) {
        return false;
    }
    return bodyLength > 0 && first == offset && last == total - 1 && last >= first &&
           last - first + 1 == bodyLength;
}
