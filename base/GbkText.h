// The one rule for walking GBK text byte by byte: a lead byte and the byte
// after it are one character, even when that second byte looks like '\\',
// '|' or a space. Pure, so the native tools and tests share it.
#pragma once

inline bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}
