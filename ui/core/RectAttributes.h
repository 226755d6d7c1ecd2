// Rectangles and sizes read from attribute values.
#pragma once

#include <windows.h>

#include "ui/core/AttributeList.h"

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

}  // namespace SkinUI
