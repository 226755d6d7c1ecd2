// The MD5 compression function and the finishing steps shared by the text
// and the file digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Md5State {
    uint32_t a = 0x67452301;
    uint32_t b = 0xefcdab89;
    uint32_t c = 0x98badcfe;
    uint32_t d = 0x10325476;
};

inline constexpr std::size_t kMd5BlockSize = 64;

// Runs `blockCount` 64-byte blocks through the compression function.
void Md5Compress(Md5State& state, const uint8_t* blocks, std::size_t blockCount);

// Appends the padding for a message of `totalBytes` bytes after the
// `tailBytes` bytes at `buffer` (the part of the message not yet compressed)
// and returns the padded length, a multiple of 64. The buffer needs room for
// tailBytes + 9 rounded up to a multiple of 64.
std::size_t Md5Pad(uint8_t* buffer, std::size_t tailBytes, uint64_t totalBytes);

// The digest bytes in order, A's lowest byte first, as lower-case hex.
std::string Md5Hex(const Md5State& state);
