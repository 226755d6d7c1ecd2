// Rectangle arithmetic of the skin. Sizes, paddings, insets and positions
// come from skin files, which may be damaged or hostile, so every sum of
// them is made in 64 bits and brought back into the coordinate range below.
// Pure code: the same helpers serve RECT in the toolkit and the plain
// rectangles of the layout arithmetic, which the native build fuzzes.
#pragma once

#include <algorithm>
#include <cstdint>

namespace SkinUI {

// Every coordinate a layout hands out lies within this distance of 0. It is
// far beyond any screen, and far enough inside the int range that a control
// can add or subtract two coordinates without overflowing; GDI itself keeps
// to 27-bit coordinates.
constexpr int kMaxCoordinate = 1 << 27;

// v, or the nearest end of [-kMaxCoordinate, kMaxCoordinate].
inline int Saturate(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

inline int SaturatedAdd(int64_t a, int64_t b) {
    return Saturate(a + b);
}

inline int SaturatedSub(int64_t a, int64_t b) {
    return Saturate(a - b);
}

// A rectangle and a size without Win32, with RECT's and SIZE's field names.
struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct LayoutSize {
    int cx = 0;
    int cy = 0;
};

// rc less the four distances of by, never turned inside out. Works on RECT
// as well as on LayoutRect.
template <typename Rect>
Rect Deflated(Rect rc, const Rect& by) {
    const int left = SaturatedAdd(rc.left, by.left);
    const int top = SaturatedAdd(rc.top, by.top);
    rc.right = std::max(left, SaturatedSub(rc.right, by.right));
    rc.bottom = std::max(top, SaturatedSub(rc.bottom, by.bottom));
    rc.left = left;
    rc.top = top;
    return rc;
}

}  // namespace SkinUI
