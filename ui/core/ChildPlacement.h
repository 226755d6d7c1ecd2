// Where a container's children go: the arithmetic of the plain container,
// the flow and tile layouts, float children and scroll bars, on plain
// numbers. A container gathers its visible children's sizes, calls
// PlaceChildren and applies the rectangles it returns, so these rules are
// written once, and the native build fuzzes them without a window.
//
// Every number may come from a hostile skin. Whatever they are, the results
// are rectangles the right way round within kMaxCoordinate, and nothing
// overflows or divides by zero on the way.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "ui/core/Geometry.h"

namespace SkinUI {

// How a container arranges its children that do not float.
struct Arrangement {
    enum class Kind {
        Fill,        // each child over the whole content (a plain container, tabs)
        Vertical,    // stacked top to bottom
        Horizontal,  // side by side, left to right
        Tile,        // a grid of equal cells, row by row
    };
    Kind kind = Kind::Fill;
    // Tile: as many columns of itemSize.cx as fit, or this many when
    // itemSize.cx is 0. Cells are itemSize.cy high, or as high as the
    // highest child when that is 0, or square.
    int columns = 1;
    LayoutSize itemSize;
};

// What the layout knows of one visible child.
struct ChildSizing {
    LayoutRect padding;
    LayoutSize fixed;  // 0 on an axis: the child stretches along it
    LayoutSize min;
    LayoutSize max;
    bool isFloat = false;
    LayoutRect floatPos;  // a float child's place, from the container's top left
};

// The container: its rectangle, inset, the gap between children, and its
// scroll bars (whether each exists, its thickness, and the scroll position).
struct ContainerFrame {
    LayoutRect item;
    LayoutRect inset;
    int childPadding = 0;
    bool hasVertical = false;
    bool hasHorizontal = false;
    int verticalThickness = 0;
    int horizontalThickness = 0;
    LayoutSize scroll;
};

// A scroll bar shows when the children overflow; its range is the overflow.
struct ScrollBarPlace {
    bool shown = false;
    int range = 0;
    int page = 0;
    LayoutRect pos;
};

struct Placement {
    LayoutRect view;  // where the children show: the content less the scroll bars
    ScrollBarPlace vertical;
    ScrollBarPlace horizontal;
    LayoutSize scroll;                 // the scroll position, within the ranges
    std::vector<LayoutRect> children;  // one for each child given, in order
};

// A child's own estimate of its size in the room it has (in the toolkit,
// CControlUI::EstimateSize). A flow asks each child with the container's
// size, a tile layout without an item height with the cell width.
using SizeEstimate = std::function<LayoutSize(size_t child, LayoutSize available)>;

Placement PlaceChildren(const Arrangement& arrangement, const ContainerFrame& frame,
                        const std::vector<ChildSizing>& children, const SizeEstimate& estimate);

}  // namespace SkinUI
