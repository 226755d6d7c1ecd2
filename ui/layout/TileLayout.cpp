#include "ui/layout/TileLayout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/core/RectAttributes.h"

namespace SkinUI {

const char* CTileLayoutUI::GetClass() const {
    return "TileLayoutUI";
}

void* CTileLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "TileLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetColumns(int columns) {
    m_nColumns = std::max(1, columns);
    NeedUpdate();
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    m_szItem = SIZE{std::max<LONG>(0, size.cx), std::max<LONG>(0, size.cy)};
    NeedUpdate();
}

void CTileLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    std::vector<CControlUI*> tiles;
    for (CControlUI* child : m_items) {
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
        } else {
            tiles.push_back(child);
        }
    }
    const int gap = m_iChildPadding;
    const RECT content = ContentRect(m_rcItem);
    // Cells as wide as the item size (as many as fit), or the width shared
    // by the columns.
    auto columnsIn = [&](int width) {
        return m_szItem.cx > 0 ? std::max(1, (width + gap) / static_cast<int>(m_szItem.cx + gap))
                               : m_nColumns;
    };
    auto cellWidthIn = [&](int width, int columns) {
        return m_szItem.cx > 0 ? static_cast<int>(m_szItem.cx)
                               : std::max(0, (width - gap * (columns - 1)) / columns);
    };
    int columns = columnsIn(content.right - content.left);
    int cellWidth = cellWidthIn(content.right - content.left, columns);
    // Without an item height, cells are as high as the highest fixed child,
    // else square.
    int cellHeight = m_szItem.cy;
    if (cellHeight <= 0) {
        for (CControlUI* tile : tiles)
            cellHeight = std::max<int>(cellHeight, tile->EstimateSize(SIZE{cellWidth, 0}).cy);
        if (cellHeight <= 0)
            cellHeight = cellWidth;
    }
    const int count = static_cast<int>(tiles.size());
    const int rows = (count + columns - 1) / columns;
    const SIZE required = {columns * cellWidth + gap * std::max(0, columns - 1),
                           rows * cellHeight + gap * std::max(0, rows - 1)};
    const RECT view = ReserveScrollBars(content, required);
    // A scroll bar took some width: the columns share what is left.
    columns = columnsIn(view.right - view.left);
    cellWidth = cellWidthIn(view.right - view.left, columns);
    const SIZE scroll = GetScrollPos();
    for (int i = 0; i < count; ++i) {
        const int left = view.left - scroll.cx + (i % columns) * (cellWidth + gap);
        const int top = view.top - scroll.cy + (i / columns) * (cellHeight + gap);
        const RECT pad = tiles[i]->GetPadding();
        tiles[i]->SetPos(RECT{left + pad.left, top + pad.top, left + cellWidth - pad.right,
                              top + cellHeight - pad.bottom});
    }
}

void CTileLayoutUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "columns") == 0) {
        SetColumns(std::atoi(value));
    } else if (std::strcmp(name, "itemsize") == 0) {
        SetItemSize(ParseSize(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
