#include "identity/Md5.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "identity/Md5Transform.h"

namespace {

constexpr std::size_t kFilePiece = 4096;
// A short last piece is padded in place: 4095 bytes spill into a 65th block.
constexpr std::size_t kFileBuffer = kFilePiece + kMd5BlockSize;
// stdio's own buffer; larger than a piece so the disk is read in big runs
// while the digest still takes 4096 bytes at a time.
constexpr std::size_t kStdioBuffer = 256 * 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string Md5OfText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    const std::size_t whole = text.size() / kMd5BlockSize * kMd5BlockSize;
    const std::size_t tail = text.size() - whole;
    const std::size_t padded = whole + (tail <= 55 ? kMd5BlockSize : 2 * kMd5BlockSize);

    std::vector<uint8_t> buffer(padded);
    std::copy(text.begin(), text.end(), buffer.begin());
    Md5Pad(buffer.data() + whole, tail, text.size());

    Md5State state;
    Md5Compress(state, buffer.data(), padded / kMd5BlockSize);
    return Md5Hex(state);
}

std::string Md5OfFile(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return kMd5FileOpenFailed;
    std::setvbuf(file.get(), nullptr, _IOFBF, kStdioBuffer);

    // One buffer per call keeps the digest safe to run on several threads.
    std::vector<uint8_t> buffer(kFileBuffer);
    Md5State state;
    uint64_t total = 0;
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, kFilePiece, file.get());
        total += got;
        if (got == kFilePiece) {
            Md5Compress(state, buffer.data(), kFilePiece / kMd5BlockSize);
            continue;
        }
        // End of file or a read error: what was read is digested.
        const std::size_t padded = Md5Pad(buffer.data(), got, total);
        Md5Compress(state, buffer.data(), padded / kMd5BlockSize);
        break;
    }
    return Md5Hex(state);
}
