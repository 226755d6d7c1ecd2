// Cleaning and cutting untrusted device and registry texts: no read or write
// out of bounds, a second cleaning finds nothing left to remove, and every
// field is NUL-terminated and a piece of the cleaned text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "identity/IdentityText.h"

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
    return 0;
}
