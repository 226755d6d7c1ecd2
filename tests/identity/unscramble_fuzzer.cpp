// Unscrambling untrusted text (a tampered registry value, a file-list line):
// it must never read or write out of bounds, never return more than the room
// it was given, and whatever it returns must scramble and come back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "identity/HexCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t capacity = data[0];  // the callers pass 33, 256 or the line length
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string plain = UnscrambleText(text, capacity);
    if (capacity == 0 ? !plain.empty() : plain.size() > capacity - 1)
        std::abort();
    // Texts over the scramble limit can be read (an old list may hold them)
    // but are never written, so only shorter ones must survive a round trip.
    const std::string upToNul = plain.substr(0, plain.find('\0'));
    if (upToNul.size() <= kScrambleMaxLength &&
        UnscrambleText(ScrambleText(upToNul), 256) != upToNul)
        std::abort();
    return 0;
}
