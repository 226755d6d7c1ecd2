// Splitting a downloaded version file: the stamp is the body's last 20 bytes
// and the display part plus one separator plus the stamp never exceeds it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/format/MirrorFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const VersionText version = ParseVersionText(body);
    if (version.stamp.size() > kVersionStampLength)
        std::abort();
    if (body.compare(body.size() - version.stamp.size(), std::string::npos, version.stamp) != 0) {
        std::abort();
    }
    if (body.compare(0, version.display.size(), version.display) != 0)
        std::abort();
    if (!version.display.empty() && version.display.size() + 1 + version.stamp.size() != size) {
        std::abort();
    }
    return 0;
}
