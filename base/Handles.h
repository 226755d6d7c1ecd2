// RAII owners for the kernel, registry and internet handles and the COM
// interfaces that every part of the program holds. Each handle the program
// opens is owned by one of these, so every path closes it. GDI owners, which
// only the toolkit needs, live in ui/Handles.h.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/ComPtr.h"
#include "base/UniqueHandle.h"

namespace Base {

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct InternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static bool Valid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueInternet = UniqueHandle<HINTERNET, InternetTraits>;

}  // namespace Base
