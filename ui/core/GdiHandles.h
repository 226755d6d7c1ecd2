// RAII owners for what the toolkit holds of the system: GDI objects, window
// DCs, windows (tooltips among them). The kernel, registry and internet
// owners are in base/Handles.h, which the toolkit does not need.
#pragma once

#include <windows.h>

#include "base/ComPtr.h"
#include "base/UniqueHandle.h"

namespace SkinUI {

using Base::ComPtr;
using Base::UniqueHandle;

// A handle that is null when empty and closed by one call.
template <typename H, auto Close_>
struct NullableTraits {
    static H Invalid() { return nullptr; }
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { Close_(h); }
};
template <typename G>
using UniqueGdiObject = UniqueHandle<G, NullableTraits<G, ::DeleteObject>>;

using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueRegion = UniqueGdiObject<HRGN>;
using UniqueMemoryDc = UniqueHandle<HDC, NullableTraits<HDC, ::DeleteDC>>;
// A window the holder created and destroys, such as a manager's tooltip.
using UniqueWindow = UniqueHandle<HWND, NullableTraits<HWND, ::DestroyWindow>>;

// A window's DC from GetDC, released to that window.
class WindowDc {
public:
    WindowDc() = default;
    explicit WindowDc(HWND hwnd) { Reset(hwnd); }
    ~WindowDc() { Reset(); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    void Reset(HWND hwnd = nullptr) {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
        m_hwnd = hwnd;
        m_dc = hwnd ? ::GetDC(hwnd) : nullptr;
    }
    HDC get() const { return m_dc; }

private:
    HWND m_hwnd = nullptr;
    HDC m_dc = nullptr;
};

// A memory DC with one bitmap selected into it, for drawing off screen.
// Windows does not delete a bitmap that is still selected into a DC (the
// bitmap then leaks), so the DC's own bitmap goes back in before either is
// deleted.
class MemoryCanvas {
public:
    MemoryCanvas() = default;
    ~MemoryCanvas() { Reset(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    // Takes both; a null one of the two leaves the canvas empty.
    void Reset(HDC dc = nullptr, HBITMAP bitmap = nullptr) {
        if (m_dc && m_original)
            ::SelectObject(m_dc.get(), m_original);
        m_original = nullptr;
        m_dc.reset(dc);
        m_bitmap.reset(bitmap);
        if (m_dc && m_bitmap)
            m_original = ::SelectObject(m_dc.get(), m_bitmap.get());
        if (!m_original) {
            m_dc.reset();
            m_bitmap.reset();
        }
    }
    HDC dc() const { return m_dc.get(); }
    explicit operator bool() const { return static_cast<bool>(m_dc); }

private:
    UniqueMemoryDc m_dc;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_original = nullptr;
};

// Selects a GDI object into a DC for one scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(::SelectObject(dc, obj)) {}
    ~SelectObjectScope() { ::SelectObject(m_dc, m_old); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

}  // namespace SkinUI
