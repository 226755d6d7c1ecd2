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

// Shows a bar when its content overflows the page, with the overflow as range.
void PlaceScrollBar(CScrollBarUI* bar, bool needed, int required, int page, const RECT& pos) {
    if (!bar)
        return;
    bar->SetScrollRange(needed ? required - page : 0);
    bar->SetPageSize(page);
    bar->SetVisible(needed);
    if (needed)
        bar->SetPos(pos);
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

RECT CContainerUI::ReserveScrollBars(RECT content, SIZE required) {
    m_rcScrollView = content;
    if (!m_pVerticalScrollBar && !m_pHorizontalScrollBar)
        return content;
    const int width = content.right - content.left;
    const int height = content.bottom - content.top;
    const int vThick = m_pVerticalScrollBar ? m_pVerticalScrollBar->GetThickness() : 0;
    const int hThick = m_pHorizontalScrollBar ? m_pHorizontalScrollBar->GetThickness() : 0;
    // One bar's room can make the other needed.
    bool needV = m_pVerticalScrollBar && required.cy > height;
    const bool needH = m_pHorizontalScrollBar && required.cx > width - (needV ? vThick : 0);
    if (needH && m_pVerticalScrollBar && required.cy > height - hThick)
        needV = true;
    RECT view = content;
    if (needV)
        view.right = std::max(view.left, view.right - vThick);
    if (needH)
        view.bottom = std::max(view.top, view.bottom - hThick);
    m_rcScrollView = view;
    PlaceScrollBar(m_pVerticalScrollBar, needV, required.cy, view.bottom - view.top,
                   RECT{view.right, content.top, content.right, view.bottom});
    PlaceScrollBar(m_pHorizontalScrollBar, needH, required.cx, view.right - view.left,
                   RECT{content.left, view.bottom, view.right, content.bottom});
    return view;
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
