// The scrolling part of CContainerUI: its two optional scroll bars, which
// the layouts ask for room and which move the children by the scroll
// position the next time they are laid out.
#include <algorithm>

#include "ui/core/Container.h"
#include "ui/core/ScrollBar.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

CScrollBarUI* MakeScrollBar(CContainerUI* owner, bool horizontal, const std::string& style) {
    auto* bar = new CScrollBarUI;
    bar->SetHorizontal(horizontal);
    bar->SetOwner(owner);
    bar->SetVisible(false);
    bar->SetInternVisible(owner->IsVisible());
    bar->SetManager(owner->GetManager(), owner, false);
    if (!style.empty())
        bar->ApplyAttributeList(style.c_str());
    return bar;
}

void PlaceScrollBar(CScrollBarUI* bar, const ScrollBarPlace& place) {
    if (!bar)
        return;
    bar->SetScrollRange(place.range);
    bar->SetPageSize(place.page);
    bar->SetVisible(place.shown);
    if (place.shown)
        bar->SetPos(RECT{place.pos.left, place.pos.top, place.pos.right, place.pos.bottom});
}

}  // namespace

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    if (vertical && !m_pVerticalScrollBar) {
        m_pVerticalScrollBar = MakeScrollBar(this, false, m_sVerticalScrollBarStyle);
    } else if (!vertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (horizontal && !m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar = MakeScrollBar(this, true, m_sHorizontalScrollBarStyle);
    } else if (!horizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{m_pHorizontalScrollBar ? m_pHorizontalScrollBar->GetScrollPos() : 0,
                m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{m_pHorizontalScrollBar ? m_pHorizontalScrollBar->GetScrollRange() : 0,
                m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE pos) {
    const SIZE old = GetScrollPos();
    if (m_pHorizontalScrollBar)
        m_pHorizontalScrollBar->SetScrollPos(pos.cx);
    if (m_pVerticalScrollBar)
        m_pVerticalScrollBar->SetScrollPos(pos.cy);
    const SIZE now = GetScrollPos();
    if (now.cx == old.cx && now.cy == old.cy)
        return;
    // Laying out again places the children at the new offset.
    SetPos(m_rcItem);
    Invalidate();
}

void CContainerUI::ScrollIntoView(const RECT& rc) {
    SIZE pos = GetScrollPos();
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        if (rc.top < m_rcScrollView.top) {
            pos.cy -= m_rcScrollView.top - rc.top;
        } else if (rc.bottom > m_rcScrollView.bottom) {
            pos.cy += std::min(rc.bottom - m_rcScrollView.bottom, rc.top - m_rcScrollView.top);
        }
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        if (rc.left < m_rcScrollView.left) {
            pos.cx -= m_rcScrollView.left - rc.left;
        } else if (rc.right > m_rcScrollView.right) {
            pos.cx += std::min(rc.right - m_rcScrollView.right, rc.left - m_rcScrollView.left);
        }
    }
    SetScrollPos(pos);
}

// The wheel, and the keys a focused child leaves unused, scroll the
// children: up and down the vertical bar, left and right the horizontal.
void CContainerUI::DoEvent(TEventUI& event) {
    CScrollBarUI* target = nullptr;
    const bool vertical = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool horizontal = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    if (event.Type == UIEVENT_SCROLLWHEEL) {
        target = vertical ? m_pVerticalScrollBar : horizontal ? m_pHorizontalScrollBar : nullptr;
    } else if (event.Type == UIEVENT_KEYDOWN) {
        switch (event.chKey) {
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT:
            case VK_HOME:
            case VK_END:
                target = vertical ? m_pVerticalScrollBar : nullptr;
                break;
            case VK_LEFT:
            case VK_RIGHT:
                target = horizontal ? m_pHorizontalScrollBar : nullptr;
                break;
            default:
                break;
        }
    }
    // A disabled bar passes events back up here: they go on to the parent.
    if (target && IsEnabled() && target->IsEnabled()) {
        target->DoEvent(event);
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::ShowScrollBars(const Placement& placed) {
    m_rcScrollView = RECT{placed.view.left, placed.view.top, placed.view.right, placed.view.bottom};
    PlaceScrollBar(m_pVerticalScrollBar, placed.vertical);
    PlaceScrollBar(m_pHorizontalScrollBar, placed.horizontal);
}

void CContainerUI::PaintScrollBars(HDC hDC, const RECT& rcPaint) {
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar && bar->IsVisible())
            bar->DoPaint(hDC, rcPaint);
    }
}

CControlUI* CContainerUI::FindInScrollBars(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (!bar || !bar->IsVisible())
            continue;
        if (CControlUI* found = bar->FindControl(proc, data, flags))
            return found;
    }
    return nullptr;
}

}  // namespace SkinUI
