// Rectangles and sizes of the skin: read from attribute values, and shrunk
// by an inset or a text padding.
#pragma once

#include <windows.h>

#include "ui/AttributeList.h"

namespace SkinUI {

// "left,top,right,bottom"; missing numbers are 0.
inline RECT ParseRect(const char* value) {
    long v[4];
    ParseIntList(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

// "cx,cy"; missing numbers are 0.
inline SIZE ParseSize(const char* value) {
    long v[2];
    ParseIntList(value, v, 2);
    return SIZE{v[0], v[1]};
}

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
