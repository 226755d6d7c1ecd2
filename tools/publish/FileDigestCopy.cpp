#include "tools/publish/FileDigestCopy.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "tools/publish/FileText.h"
#include "update/format/FileDigests.h"

namespace {

constexpr size_t kBlock = 1 << 20;

}  // namespace

std::optional<FileFacts> DigestFile(const std::filesystem::path& source,
                                    const std::filesystem::path& copy, bool sha256,
                                    const std::function<void(uint64_t)>& read) {
    const StdioFile in = OpenFile(source, "rb");
    StdioFile out = copy.empty() ? nullptr : OpenFile(copy, "wb");
    if (!in || (!copy.empty() && !out))
        return std::nullopt;
    FileDigests digests;
    if (sha256)
        digests.EnableSha256();
    std::vector<uint8_t> block(kBlock);
    for (;;) {
        const size_t got = std::fread(block.data(), 1, block.size(), in.get());
        digests.Update(block.data(), got);
        if (read)
            read(got);
        if (out && std::fwrite(block.data(), 1, got, out.get()) != got)
            return std::nullopt;
        if (got < block.size())
            break;
    }
    if (std::ferror(in.get()) || (out && std::fclose(out.release()) != 0))
        return std::nullopt;
    return FileFacts{digests.Length(), digests.Md5Hex(), digests.Sha256()};
}
