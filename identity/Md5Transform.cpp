// Written for speed: the file check digests the whole installation, so the
// rounds are unrolled, F uses its reduced-operation form, and G is split so
// that half of it does not wait for the previous step.
#include "identity/Md5Transform.h"

#include <cstring>

#include "identity/HexDigits.h"

namespace {

inline uint32_t Load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint32_t Rotl(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

inline void Store32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
// G(b, c, d) = (b & d) | (c & ~d): the two terms share no bit, so they can be
// added one at a time, and c & ~d does not depend on b, the newest value.
#define MD5_G_STEP(a, b, c, d, x, t, s) \
    (a) += (x) + (t) + ((c) & ~(d));    \
    (a) += (b) & (d);                   \
    (a) = Rotl((a), (s)) + (b)
#define MD5_STEP(f, a, b, c, d, x, t, s) \
    (a) += f((b), (c), (d)) + (x) + (t); \
    (a) = Rotl((a), (s)) + (b)

void CompressBlock(Md5State& state, const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = Load32(block + 4 * i);
    uint32_t a = state.a, b = state.b, c = state.c, d = state.d;

    MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
    MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
    MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_G_STEP(a, b, c, d, x[1], 0xf61e2562, 5);
    MD5_G_STEP(d, a, b, c, x[6], 0xc040b340, 9);
    MD5_G_STEP(c, d, a, b, x[11], 0x265e5a51, 14);
    MD5_G_STEP(b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_G_STEP(a, b, c, d, x[5], 0xd62f105d, 5);
    MD5_G_STEP(d, a, b, c, x[10], 0x02441453, 9);
    MD5_G_STEP(c, d, a, b, x[15], 0xd8a1e681, 14);
    MD5_G_STEP(b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_G_STEP(a, b, c, d, x[9], 0x21e1cde6, 5);
    MD5_G_STEP(d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_G_STEP(c, d, a, b, x[3], 0xf4d50d87, 14);
    MD5_G_STEP(b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_G_STEP(a, b, c, d, x[13], 0xa9e3e905, 5);
    MD5_G_STEP(d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_G_STEP(c, d, a, b, x[7], 0x676f02d9, 14);
    MD5_G_STEP(b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
    MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
    MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
    MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

    state.a += a;
    state.b += b;
    state.c += c;
    state.d += d;
}

#undef MD5_F
#undef MD5_G_STEP
#undef MD5_H
#undef MD5_I
#undef MD5_STEP

}  // namespace

void Md5Compress(Md5State& state, const uint8_t* blocks, std::size_t blockCount) {
    for (std::size_t i = 0; i < blockCount; ++i)
        CompressBlock(state, blocks + i * kMd5BlockSize);
}

std::size_t Md5Pad(uint8_t* buffer, std::size_t tailBytes, uint64_t totalBytes) {
    // 0x80, zeros up to 8 bytes short of a block boundary, then the length in
    // bits as a little-endian 64-bit number.
    std::size_t end = tailBytes + 1;
    buffer[tailBytes] = 0x80;
    const std::size_t lengthAt = (end + 8 + kMd5BlockSize - 1) / kMd5BlockSize * kMd5BlockSize - 8;
    std::memset(buffer + end, 0, lengthAt - end);
    const uint64_t bits = totalBytes << 3;
    Store32(buffer + lengthAt, static_cast<uint32_t>(bits));
    Store32(buffer + lengthAt + 4, static_cast<uint32_t>(bits >> 32));
    return lengthAt + 8;
}

std::string Md5Hex(const Md5State& state) {
    uint8_t bytes[16];
    Store32(bytes, state.a);
    Store32(bytes + 4, state.b);
    Store32(bytes + 8, state.c);
    Store32(bytes + 12, state.d);
    return ToHex(bytes, sizeof(bytes));
}
