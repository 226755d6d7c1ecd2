// Decoding a downloaded file list: any body must decode without faults into
// one entry per complete group of three lines, and every name the safety check
// accepts must stay a relative path once turned into its URL form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/format/MirrorFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const FileList list = DecodeFileList(text);
    const size_t lines = SplitListLines(text).size();
    if (list.files.size() != lines / 3)
        std::abort();
    if (list.unfinishedName.has_value() != (lines % 3 != 0))
        std::abort();
    for (const ListedFile& file : list.files) {
        if (!IsSafeListedName(file.name))
            continue;
        const std::string url = ToUrlPath(file.name);
        if (url.find(':') != std::string::npos || url.find("/../") != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
