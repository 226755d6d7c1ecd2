// Resuming a download: the Range request for the rest of a file and the
// check of the server's Content-Range answer. Pure text handling.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Range: bytes=OFFSET-\r\n": everything from offset on.
std::string RangeRequestHeader(uint64_t offset);

// True when contentRange ("bytes FIRST-LAST/TOTAL") answers a request for
// everything from offset on with a body of bodyLength bytes: FIRST is
// offset, LAST is the file's last byte and TOTAL its size. Anything else
// (another range, an unknown total, a malformed header) is false, and the
// download starts again from the beginning.
bool ContentRangeResumes(std::string_view contentRange, uint64_t offset, uint64_t bodyLength);
