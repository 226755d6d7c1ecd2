// Rectangle arithmetic of the skin: shrinking by an inset or a text padding.
#pragma once

#include <windows.h>

namespace SkinUI {

// rc less the four distances of by, never turned inside out.
inline RECT Deflated(RECT rc, const RECT& by) {
    rc.left += by.left;
    rc.top += by.top;
    rc.right -= by.right;
    rc.bottom -= by.bottom;
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

}  // namespace SkinUI
