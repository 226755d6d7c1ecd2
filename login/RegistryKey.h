// The registry primitives of the account store: opening and creating keys
// (always owned by a UniqueKey, so every path closes them), reading values
// into the fixed buffers the saved logins were written for, and deleting a
// key with everything below it.
#pragma once

#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace registry {

// Read and write access for the keys the launcher writes and deletes.
constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

// A null key when it does not open.
Base::UniqueKey OpenKey(HKEY parent, const std::string& path, REGSAM access);
// Creates the key when it is missing; non-volatile, without class.
Base::UniqueKey CreateKey(HKEY parent, const std::string& path);

// A string value of at most 255 bytes. False when it is missing, not text or
// longer.
bool ReadString(HKEY key, const char* name, std::string& value);
// A value that counts only when it reads and is a REG_DWORD.
bool ReadDword(HKEY key, const char* name, DWORD& value);

// Strings are written with their terminating zero.
void WriteString(HKEY key, const char* name, const std::string& value);
void WriteDword(HKEY key, const char* name, DWORD value);

// Deletes parent\name and every key below it. Returns the first error.
LONG RecurseDeleteKey(HKEY parent, const char* name);

}  // namespace registry
