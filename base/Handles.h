// RAII owners for the kernel, registry and internet handles and the COM
// interfaces that every part of the program holds. Each handle the program
// opens is owned by one of these, so every path closes it. GDI owners, which
// only the toolkit needs, live in ui/core/GdiHandles.h.
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

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueKey = UniqueHandle<HKEY, NullableHandleTraits<HKEY, ::RegCloseKey>>;
using UniqueInternet =
    UniqueHandle<HINTERNET, NullableHandleTraits<HINTERNET, ::InternetCloseHandle>>;

}  // namespace Base
