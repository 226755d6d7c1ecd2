// MD5 (RFC 1321) as the 32-digit lower-case hex text the launcher compares
// with the mirror's file list and sends to the web services.
#pragma once

#include <string>
#include <string_view>

// What a file digest gives for a file that cannot be opened: "文件打开失败！" in
// the GBK code page. It can never equal a digest, so comparisons fail.
inline constexpr char kMd5FileOpenFailed[] =
    "\xCE\xC4\xBC\xFE\xB4\xF2\xBF\xAA\xCA\xA7\xB0\xDC\xA3\xA1";

// Digest of the bytes of `text` up to its first NUL.
std::string Md5OfText(std::string_view text);

// Digest of a whole file (64-bit length, so files of 4 GiB and more get the
// standard digest), or kMd5FileOpenFailed. Reentrant.
std::string Md5OfFile(const std::string& path);
