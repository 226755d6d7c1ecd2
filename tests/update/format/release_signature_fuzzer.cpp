// Reading release.sig and patches.txt from an untrusted mirror: whatever
// parses is exactly the signed text followed by its signature line, its
// expiry writes back to the same time, an index reads back as it was read,
// and nothing verifies against a key that signed nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/format/PatchIndex.h"
#include "update/format/ReleaseSignature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseReleaseSignature(text);
    if (parsed) {
        if (text.compare(0, parsed->signedText.size(), parsed->signedText) != 0)
            std::abort();
        if (ParseUtc(FormatUtc(parsed->manifest.expires)) != parsed->manifest.expires)
            std::abort();
    }
    static const ReleasePublicKey kUnusedKey = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                                21, 22, 23, 24, 25, 26, 27, 28, 29};
    SignedRelease out;
    if (VerifyRelease(text, {kUnusedKey}, 0, 0, "", out) == ReleaseVerdict::Accepted)
        std::abort();

    if (const auto index = ParsePatchIndex(text, {})) {
        const auto again = ParsePatchIndex(FormatPatchIndex(*index), {});
        if (!again || again->stamp != index->stamp || again->compressed != index->compressed ||
            again->patches != index->patches) {
            std::abort();
        }
    }
    if (ParsePatchIndex(text, {kUnusedKey}))
        std::abort();
    return 0;
}
