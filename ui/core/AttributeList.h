// Attribute text of the skin: the name="value" list that ApplyAttributeList
// reads, and the value forms (colours, rectangles, sizes). Pure code, so the
// native build can test and fuzz it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace SkinUI {

// Tells whether a byte starts a double-byte character of the current code page.
using LeadByteTest = bool (*)(unsigned char byte);

using AttributeSink = std::function<void(const std::string& name, const std::string& value)>;

// Walks `name="value"` pairs separated by single blanks and hands each to the
// sink. Stops at the first malformed pair; the pairs before it stay applied.
// Returns the number of pairs handed out.
size_t ParseAttributeList(const char* text, LeadByteTest isLeadByte, const AttributeSink& sink);

// "#AARRGGBB" (or "#RRGGBB", made opaque) to 0xAARRGGBB; 0 when malformed.
uint32_t ParseColor(const char* text);

// Up to `count` comma-separated integers; missing ones stay 0. Returns how
// many numbers were read.
int ParseIntList(const char* text, long* values, int count);

// A decimal integer in the int range, with blanks around it allowed. False,
// and value untouched, for anything else: an empty text, a stray character,
// a number out of range.
bool ParseInt(const char* text, int& value);

// "true" (any case) is true, everything else false.
bool ParseBool(const char* text);

}  // namespace SkinUI
