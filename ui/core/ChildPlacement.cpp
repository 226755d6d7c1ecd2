#include "ui/core/ChildPlacement.h"

#include <algorithm>
#include <cstdint>

namespace SkinUI {

namespace {

// The skin's numbers enter the arithmetic within the coordinate range (2^27),
// and the arithmetic runs in 64 bits. No product below multiplies more than
// two such numbers or one by a child count, and no sum adds more of them than
// there are children, so nothing comes near 2^63.
LayoutSize Bounded(LayoutSize size) {
    return LayoutSize{Saturate(size.cx), Saturate(size.cy)};
}

LayoutRect Bounded(const LayoutRect& rc) {
    return LayoutRect{Saturate(rc.left), Saturate(rc.top), Saturate(rc.right), Saturate(rc.bottom)};
}

ChildSizing Bounded(const ChildSizing& child) {
    return ChildSizing{Bounded(child.padding), Bounded(child.fixed), Bounded(child.min),
                       Bounded(child.max),     child.isFloat,        Bounded(child.floatPos)};
}

// A rectangle from 64-bit edges: within range and the right way round.
LayoutRect MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    LayoutRect rc{Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
    rc.right = std::max(rc.left, rc.right);
    rc.bottom = std::max(rc.top, rc.bottom);
    return rc;
}

int64_t Width(const LayoutRect& rc) {
    return int64_t{rc.right} - rc.left;
}

int64_t Height(const LayoutRect& rc) {
    return int64_t{rc.bottom} - rc.top;
}

// A flow is computed in flow coordinates: top and bottom run along the
// flow, left and right across it. A horizontal flow swaps the axes.
LayoutRect Swapped(const LayoutRect& rc) {
    return LayoutRect{rc.top, rc.left, rc.bottom, rc.right};
}

// The room the children need, for the scroll bars.
struct Need {
    int64_t cx = 0;
    int64_t cy = 0;
};

ScrollBarPlace ScrollBarFor(bool shown, int64_t need, int64_t page, const LayoutRect& pos) {
    ScrollBarPlace bar;
    bar.shown = shown;
    bar.page = Saturate(std::max<int64_t>(0, page));
    bar.range = shown ? Saturate(std::max<int64_t>(0, need - page)) : 0;
    if (shown)
        bar.pos = pos;
    return bar;
}

// Shows the scroll bars the overflow asks for, leaves the view beside them,
// and brings the scroll position within their ranges. One bar's room can
// make the other needed.
void ReserveScrollBars(const ContainerFrame& frame, const LayoutRect& content, Need need,
                       Placement& out) {
    out.view = content;
    if (!frame.hasVertical && !frame.hasHorizontal)
        return;
    const int64_t vThick = frame.hasVertical ? std::max(0, frame.verticalThickness) : 0;
    const int64_t hThick = frame.hasHorizontal ? std::max(0, frame.horizontalThickness) : 0;
    bool needV = frame.hasVertical && need.cy > Height(content);
    const bool needH = frame.hasHorizontal && need.cx > Width(content) - (needV ? vThick : 0);
    if (needH && frame.hasVertical && need.cy > Height(content) - hThick)
        needV = true;
    LayoutRect view = content;
    if (needV)
        view.right = std::max(view.left, SaturatedSub(view.right, vThick));
    if (needH)
        view.bottom = std::max(view.top, SaturatedSub(view.bottom, hThick));
    out.view = view;
    out.vertical = ScrollBarFor(needV, need.cy, Height(view),
                                LayoutRect{view.right, content.top, content.right, view.bottom});
    out.horizontal =
        ScrollBarFor(needH, need.cx, Width(view),
                     LayoutRect{content.left, view.bottom, view.right, content.bottom});
    out.scroll = LayoutSize{std::clamp(frame.scroll.cx, 0, out.horizontal.range),
                            std::clamp(frame.scroll.cy, 0, out.vertical.range)};
}

// Each child over the whole view, less its padding. With scroll bars,
// children keep their fixed sizes and scroll when those overflow.
void PlaceFill(const ContainerFrame& frame, const LayoutRect& content,
               const std::vector<ChildSizing>& children, Placement& out) {
    const bool scrolls = frame.hasVertical || frame.hasHorizontal;
    Need need;
    for (const ChildSizing& child : children) {
        if (child.isFloat)
            continue;
        const LayoutRect& pad = child.padding;
        need.cx = std::max(need.cx, int64_t{child.fixed.cx} + pad.left + pad.right);
        need.cy = std::max(need.cy, int64_t{child.fixed.cy} + pad.top + pad.bottom);
    }
    ReserveScrollBars(frame, content, need, out);
    const LayoutRect& view = out.view;
    for (size_t i = 0; i < children.size(); ++i) {
        const ChildSizing& child = children[i];
        if (child.isFloat)
            continue;
        const LayoutRect& pad = child.padding;
        const int64_t left = int64_t{view.left} + pad.left - out.scroll.cx;
        const int64_t top = int64_t{view.top} + pad.top - out.scroll.cy;
        int64_t right = int64_t{view.right} - pad.right - out.scroll.cx;
        int64_t bottom = int64_t{view.bottom} - pad.bottom - out.scroll.cy;
        if (scrolls && child.fixed.cx > 0)
            right = left + child.fixed.cx;
        if (scrolls && child.fixed.cy > 0)
            bottom = top + child.fixed.cy;
        out.children[i] = MakeRect(left, top, right, bottom);
    }
}

// One child along a flow: fixed children keep their size, the others
// stretch to share what is left.
struct FlowItem {
    size_t child;
    int64_t size;
    bool stretch;
};

// Shares `available` among the stretched items, each within its minimum
// and maximum along the flow. Clamping one changes the share of the others,
// so the clamped ones are settled first; the last takes the rounding rest.
void ShareRemaining(std::vector<FlowItem>& items, const std::vector<ChildSizing>& children,
                    int64_t available, bool vertical) {
    int64_t used = 0;
    int64_t stretchCount = 0;
    for (const FlowItem& item : items) {
        if (item.stretch) {
            ++stretchCount;
        } else {
            used += item.size;
        }
    }
    int64_t remaining = std::max<int64_t>(0, available - used);
    for (FlowItem& item : items) {
        if (!item.stretch || stretchCount == 0)
            continue;
        const ChildSizing& child = children[item.child];
        const int64_t share = remaining / stretchCount;
        const int64_t lo = vertical ? child.min.cy : child.min.cx;
        const int64_t hi = vertical ? child.max.cy : child.max.cx;
        if (share < lo || share > hi) {
            item.size = std::clamp(share, lo, std::max(lo, hi));
            item.stretch = false;
            remaining = std::max<int64_t>(0, remaining - item.size);
            --stretchCount;
        }
    }
    int64_t index = 0;
    for (FlowItem& item : items) {
        if (!item.stretch)
            continue;
        ++index;
        const int64_t share = remaining / std::max<int64_t>(1, stretchCount);
        item.size = index == stretchCount ? remaining - share * (stretchCount - 1) : share;
    }
}

// Children one after another along the flow, childPadding apart. Across
// it they fill the content, or keep a fixed size: in the middle of a row,
// at the left of a column.
void PlaceFlow(bool vertical, const ContainerFrame& frame, const LayoutRect& content,
               const std::vector<ChildSizing>& children, const SizeEstimate& estimate,
               Placement& out) {
    auto toFlow = [vertical](const LayoutRect& rc) { return vertical ? rc : Swapped(rc); };
    const LayoutSize available{Saturate(Width(frame.item)), Saturate(Height(frame.item))};
    std::vector<FlowItem> items;
    int64_t paddings = 0;
    int64_t needAlong = 0;
    int64_t needAcross = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        const ChildSizing& child = children[i];
        if (child.isFloat)
            continue;
        const LayoutRect pad = toFlow(child.padding);
        const LayoutSize size = Bounded(estimate(i, available));
        const int64_t along = vertical ? size.cy : size.cx;
        paddings += int64_t{pad.top} + pad.bottom;
        items.push_back(FlowItem{i, along, along <= 0});
        needAlong += std::max<int64_t>(0, along);
        const int64_t across = vertical ? child.fixed.cx : child.fixed.cy;
        needAcross = std::max(needAcross, across + pad.left + pad.right);
    }
    if (items.size() > 1)
        paddings += int64_t{frame.childPadding} * static_cast<int64_t>(items.size() - 1);
    needAlong += paddings;
    ReserveScrollBars(frame, content,
                      vertical ? Need{needAcross, needAlong} : Need{needAlong, needAcross}, out);
    const LayoutRect view = toFlow(out.view);
    const int64_t scrollAlong = vertical ? out.scroll.cy : out.scroll.cx;
    const int64_t scrollAcross = vertical ? out.scroll.cx : out.scroll.cy;
    ShareRemaining(items, children, Height(view) - paddings, vertical);
    const int64_t across = Width(view);
    int64_t along = view.top - scrollAlong;
    for (const FlowItem& item : items) {
        const ChildSizing& child = children[item.child];
        const LayoutRect pad = toFlow(child.padding);
        const int64_t lo = vertical ? child.min.cx : child.min.cy;
        const int64_t hi = vertical ? child.max.cx : child.max.cy;
        int64_t size = vertical ? child.fixed.cx : child.fixed.cy;
        const bool fixed = size > 0;
        if (!fixed)
            size = across - pad.left - pad.right;
        size = std::clamp(size, lo, std::max(lo, hi));
        int64_t start = int64_t{view.left} + pad.left - scrollAcross;
        if (fixed && !vertical)
            start += std::max<int64_t>(0, across - pad.left - pad.right - size) / 2;
        along += pad.top;
        out.children[item.child] = toFlow(MakeRect(start, along, start + size, along + item.size));
        along += item.size + pad.bottom + frame.childPadding;
    }
}

// The grid's columns in a width: as many cells of the item width as fit,
// or the column count.
int64_t ColumnsIn(const Arrangement& tile, int64_t gap, int64_t width) {
    if (tile.itemSize.cx <= 0)
        return std::max(1, tile.columns);
    // Cells that a negative gap overlaps wholly leave no stride to count
    // columns by: they stack in one column.
    const int64_t stride = tile.itemSize.cx + gap;
    if (stride <= 0)
        return 1;
    return std::max<int64_t>(1, (width + gap) / stride);
}

int64_t CellWidthIn(const Arrangement& tile, int64_t gap, int64_t width, int64_t columns) {
    if (tile.itemSize.cx > 0)
        return tile.itemSize.cx;
    return std::max<int64_t>(0, (width - gap * (columns - 1)) / columns);
}

void PlaceTiles(const Arrangement& tile, const ContainerFrame& frame, const LayoutRect& content,
                const std::vector<ChildSizing>& children, const SizeEstimate& estimate,
                Placement& out) {
    std::vector<size_t> tiles;
    for (size_t i = 0; i < children.size(); ++i) {
        if (!children[i].isFloat)
            tiles.push_back(i);
    }
    const int64_t gap = frame.childPadding;
    int64_t columns = ColumnsIn(tile, gap, Width(content));
    int64_t cellWidth = CellWidthIn(tile, gap, Width(content), columns);
    int64_t cellHeight = tile.itemSize.cy;
    if (cellHeight <= 0) {
        for (size_t i : tiles) {
            const LayoutSize size = Bounded(estimate(i, LayoutSize{Saturate(cellWidth), 0}));
            cellHeight = std::max<int64_t>(cellHeight, size.cy);
        }
        if (cellHeight <= 0)
            cellHeight = cellWidth;
    }
    const int64_t count = static_cast<int64_t>(tiles.size());
    const int64_t rows = (count + columns - 1) / columns;
    const Need need{columns * cellWidth + gap * std::max<int64_t>(0, columns - 1),
                    rows * cellHeight + gap * std::max<int64_t>(0, rows - 1)};
    ReserveScrollBars(frame, content, need, out);
    // A scroll bar took some width: the columns share what is left.
    columns = ColumnsIn(tile, gap, Width(out.view));
    cellWidth = CellWidthIn(tile, gap, Width(out.view), columns);
    for (int64_t k = 0; k < count; ++k) {
        const ChildSizing& child = children[tiles[k]];
        const int64_t left =
            int64_t{out.view.left} - out.scroll.cx + (k % columns) * (cellWidth + gap);
        const int64_t top =
            int64_t{out.view.top} - out.scroll.cy + (k / columns) * (cellHeight + gap);
        const LayoutRect& pad = child.padding;
        out.children[tiles[k]] =
            MakeRect(left + pad.left, top + pad.top, left + cellWidth - pad.right,
                     top + cellHeight - pad.bottom);
    }
}

}  // namespace

Placement PlaceChildren(const Arrangement& arrangement, const ContainerFrame& frame,
                        const std::vector<ChildSizing>& children, const SizeEstimate& estimate) {
    ContainerFrame bounded = frame;
    bounded.item = Bounded(frame.item);
    bounded.inset = Bounded(frame.inset);
    bounded.childPadding = Saturate(frame.childPadding);
    bounded.verticalThickness = Saturate(frame.verticalThickness);
    bounded.horizontalThickness = Saturate(frame.horizontalThickness);
    Arrangement rules = arrangement;
    rules.columns = Saturate(arrangement.columns);
    rules.itemSize = Bounded(arrangement.itemSize);
    std::vector<ChildSizing> sizing;
    sizing.reserve(children.size());
    for (const ChildSizing& child : children)
        sizing.push_back(Bounded(child));

    Placement out;
    out.children.resize(sizing.size());
    const LayoutRect content = Deflated(bounded.item, bounded.inset);
    switch (rules.kind) {
        case Arrangement::Kind::Fill:
            PlaceFill(bounded, content, sizing, out);
            break;
        case Arrangement::Kind::Vertical:
        case Arrangement::Kind::Horizontal:
            PlaceFlow(rules.kind == Arrangement::Kind::Vertical, bounded, content, sizing, estimate,
                      out);
            break;
        case Arrangement::Kind::Tile:
            PlaceTiles(rules, bounded, content, sizing, estimate, out);
            break;
    }
    // Float children sit at their own place, whatever the arrangement.
    const LayoutRect& item = bounded.item;
    for (size_t i = 0; i < sizing.size(); ++i) {
        if (!sizing[i].isFloat)
            continue;
        const LayoutRect& pos = sizing[i].floatPos;
        out.children[i] = MakeRect(int64_t{item.left} + pos.left, int64_t{item.top} + pos.top,
                                   int64_t{item.left} + pos.right, int64_t{item.top} + pos.bottom);
    }
    return out;
}

}  // namespace SkinUI
