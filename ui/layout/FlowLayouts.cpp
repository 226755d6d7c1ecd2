#include "ui/layout/FlowLayouts.h"

#include <algorithm>
#include <cstring>

#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

// One axis of a flow layout: fixed children keep their size, the rest share
// what is left, each within its minimum and maximum.
struct FlowItem {
    CControlUI* control;
    int size;
    bool stretch;
};

void ShareRemaining(std::vector<FlowItem>& items, int available, bool vertical) {
    int used = 0;
    int stretchCount = 0;
    for (const FlowItem& item : items) {
        if (item.stretch) {
            ++stretchCount;
        } else {
            used += item.size;
        }
    }
    int remaining = std::max(0, available - used);
    // Clamping one stretched child changes the share of the others, so the
    // clamped ones are settled first.
    for (FlowItem& item : items) {
        if (!item.stretch || stretchCount == 0)
            continue;
        const int share = remaining / stretchCount;
        const int lo = vertical ? item.control->GetMinHeight() : item.control->GetMinWidth();
        const int hi = vertical ? item.control->GetMaxHeight() : item.control->GetMaxWidth();
        if (share < lo || share > hi) {
            item.size = std::clamp(share, lo, std::max(lo, hi));
            item.stretch = false;
            remaining = std::max(0, remaining - item.size);
            --stretchCount;
        }
    }
    int index = 0;
    for (FlowItem& item : items) {
        if (!item.stretch)
            continue;
        ++index;
        const int share = remaining / std::max(1, stretchCount);
        // The last stretched child takes the rounding remainder.
        item.size = index == stretchCount ? remaining - share * (stretchCount - 1) : share;
    }
}

// The flow is computed in flow coordinates: top and bottom run along the
// flow, left and right across it. A horizontal layout swaps the axes.
RECT Swap(const RECT& rc) {
    return RECT{rc.top, rc.left, rc.bottom, rc.right};
}

}  // namespace

void CFlowLayoutUI::LayoutFlow(bool vertical) {
    auto toFlow = [vertical](const RECT& rc) { return vertical ? rc : Swap(rc); };
    const SIZE available = {m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top};
    std::vector<FlowItem> items;
    int paddings = 0;
    // The room the children need along and across the flow, for scrolling.
    int needAlong = 0;
    int needAcross = 0;
    for (CControlUI* child : m_items) {
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        const RECT pad = toFlow(child->GetPadding());
        const SIZE estimate = child->EstimateSize(available);
        const int main = static_cast<int>(vertical ? estimate.cy : estimate.cx);
        paddings += pad.top + pad.bottom;
        items.push_back(FlowItem{child, main, main <= 0});
        needAlong += std::max(0, main);
        const int across = vertical ? child->GetFixedWidth() : child->GetFixedHeight();
        needAcross = std::max(needAcross, static_cast<int>(across + pad.left + pad.right));
    }
    if (items.size() > 1)
        paddings += m_iChildPadding * static_cast<int>(items.size() - 1);
    needAlong += paddings;
    const RECT view =
        ReserveScrollBars(ContentRect(m_rcItem),
                          vertical ? SIZE{needAcross, needAlong} : SIZE{needAlong, needAcross});
    const RECT content = toFlow(view);
    const SIZE scroll = GetScrollPos();
    const int scrollAlong = static_cast<int>(vertical ? scroll.cy : scroll.cx);
    const int scrollAcross = static_cast<int>(vertical ? scroll.cx : scroll.cy);
    ShareRemaining(items, content.bottom - content.top - paddings, vertical);
    const int across = static_cast<int>(content.right - content.left);
    int along = static_cast<int>(content.top) - scrollAlong;
    for (const FlowItem& item : items) {
        CControlUI* child = item.control;
        const RECT pad = toFlow(child->GetPadding());
        const int lo = vertical ? child->GetMinWidth() : child->GetMinHeight();
        const int hi = vertical ? child->GetMaxWidth() : child->GetMaxHeight();
        int size = vertical ? child->GetFixedWidth() : child->GetFixedHeight();
        const bool fixed = size > 0;
        if (!fixed)
            size = across - pad.left - pad.right;
        size = std::clamp(size, lo, std::max(lo, hi));
        // Across a row, fixed-size children sit in the middle; down a
        // column they keep to the left.
        int start = static_cast<int>(content.left + pad.left) - scrollAcross;
        if (fixed && !vertical)
            start += std::max(0, static_cast<int>(across - pad.left - pad.right - size)) / 2;
        along += pad.top;
        child->SetPos(toFlow(RECT{start, along, start + size, along + item.size}));
        along += item.size + pad.bottom + m_iChildPadding;
    }
}

const char* CVerticalLayoutUI::GetClass() const {
    return "VerticalLayoutUI";
}

void* CVerticalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "VerticalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutFlow(true);
}

const char* CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "HorizontalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayoutFlow(false);
}

}  // namespace SkinUI
