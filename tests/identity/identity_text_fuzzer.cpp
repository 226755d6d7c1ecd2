// Cleaning and cutting untrusted device and registry texts: no read or write
// out of bounds, a second cleaning finds nothing left to remove, and every
// field is NUL-terminated and a piece of the cleaned text. Any text carried
// in a request URL stays one field: read as GBK, the query has its one '&'
// and no '#', and the field decodes back to the text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/GbkText.h"
#include "identity/IdentityText.h"
#include "pages/WebRequests.h"

namespace {

int HexValue(char digit) {
    return digit <= '9' ? digit - '0' : digit - 'A' + 10;
}

void CheckUrlField(const std::string& text) {
    const std::string url = ValidationUrl("h/", text, "");
    const std::size_t start = url.find('=') + 1;
    std::size_t end = std::string::npos;
    std::string decoded;
    for (std::size_t pos = start; pos < url.size(); ++pos) {
        const char c = url[pos];
        if (IsGbkLeadByte(static_cast<unsigned char>(c)) && pos + 1 < url.size()) {
            decoded.append(url, pos, 2);
            ++pos;
        } else if (c == '&') {
            if (end != std::string::npos)
                std::abort();
            end = pos;
        } else if (c == '#') {
            std::abort();
        } else if (end == std::string::npos) {
            if (c == '%') {
                decoded += static_cast<char>(HexValue(url[pos + 1]) * 16 + HexValue(url[pos + 2]));
                pos += 2;
            } else {
                decoded += c;
            }
        }
    }
    if (end == std::string::npos || decoded != text)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string clean = CleanIdentityText(text);
    if (clean.size() > text.size() || clean.find('\0') != std::string::npos ||
        CleanIdentityText(clean) != clean)
        std::abort();
    char field[17];
    CopyFirstCharacters(field, 16, clean);
    if (field[15] != '\0' || clean.compare(0, std::strlen(field), field) != 0)
        std::abort();
    CopyLastCharacters(field, 16, clean);
    const size_t kept = std::strlen(field);
    if (field[15] != '\0' || kept + 1 < std::min<size_t>(clean.size(), 15) ||
        clean.compare(clean.size() - kept, kept, field) != 0)
        std::abort();
    CheckUrlField(text);
    return 0;
}
