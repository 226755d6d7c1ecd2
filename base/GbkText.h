// The one rule for walking GBK text byte by byte: a lead byte and the byte
// after it are one character, even when that second byte looks like '\\',
// '|' or a space. Pure, so the native tools and tests share it.
#pragma once

inline bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// The bytes that can end a GBK double-byte character. None of the bytes that
// shape a URL query ('%', '&', '#', '+', the controls) is one.
inline bool IsGbkTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}
