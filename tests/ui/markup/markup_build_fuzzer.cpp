// Walks fuzzed markup with includes: the input is split at NUL bytes into
// "Main.xml", "a.xml", "b.xml" and "c.xml". Whatever the files say, the walk
// must end, stay within its depth, and never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/ui/markup/MarkupFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    static const char* const kNames[] = {"Main.xml", "a.xml", "b.xml", "c.xml"};
    uitest::MarkupFiles files;
    size_t start = 0;
    for (const char* name : kNames) {
        const size_t end = input.find('\0', start);
        files.files[name] = input.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    SkinUI::MarkupWalk walk(files, nullptr);
    uitest::Node top;
    std::string error;
    walk.Walk(files.files["Main.xml"], "Main.xml", &top, error);
    // Includes are one level each, so no node lies deeper than the cap.
    if (files.deepest > SkinUI::kMaxMarkupDepth + 1)  // the top node counts too
        __builtin_trap();
    walk.Walk(files.files["Main.xml"], "Main.xml", nullptr, error);
    if (files.roots.size() > 1)
        __builtin_trap();
    return 0;
}
