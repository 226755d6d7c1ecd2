// RAII owners for the GDI objects the toolkit holds. The kernel, registry,
// internet and COM owners that the whole program shares are in base/Handles.h.
#pragma once

#include <windows.h>

#include "base/Handles.h"

namespace SkinUI {

using Base::ComPtr;
using Base::UniqueHandle;

template <typename G>
struct GdiObjectTraits {
    static G Invalid() { return nullptr; }
    static bool Valid(G h) { return h != nullptr; }
    static void Close(G h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

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
