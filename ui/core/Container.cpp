#include "ui/core/Container.h"

#include <algorithm>
#include <cstring>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/ScrollBar.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

CContainerUI::~CContainerUI() {
    if (m_bAutoDestroy) {
        for (CControlUI* child : m_items)
            delete child;
    }
    m_items.clear();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

const char* CContainerUI::GetClass() const {
    return "ContainerUI";
}

void* CContainerUI::GetInterface(const char* name) {
    if (std::strcmp(name, "IContainer") == 0)
        return static_cast<IContainerUI*>(this);
    if (std::strcmp(name, "Container") == 0)
        return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return nullptr;
    return m_items[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    const auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

int CContainerUI::GetCount() const {
    return static_cast<int>(m_items.size());
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount() || GetItemIndex(control) >= 0)
        return false;
    m_items.insert(m_items.begin() + index, control);
    if (m_pManager) {
        m_pManager->InitControls(control, this);
    } else {
        control->SetManager(nullptr, this, false);
    }
    if (!IsVisible())
        control->SetInternVisible(false);
    NeedUpdate();
    return true;
}

bool CContainerUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0)
        return false;
    m_items.erase(m_items.begin() + index);
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    if (!Detach(control))
        return false;
    if (!m_bAutoDestroy)
        return true;
    // The control may be the sender of the notification being handled, so
    // the manager destroys it once that has unwound.
    if (m_pManager && m_pManager->GetPaintWindow()) {
        m_pManager->AddDelayedCleanup(control);
    } else {
        delete control;
    }
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control && Remove(control);
}

void CContainerUI::RemoveAll() {
    while (!m_items.empty())
        Remove(m_items.back());
}

void CContainerUI::SetInset(RECT rc) {
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    NeedUpdate();
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible)
        return;
    CControlUI::SetVisible(visible);
    SetChildrenInternVisible();
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    SetChildrenInternVisible();
}

// The children and the scroll bars show only while this container does.
void CContainerUI::SetChildrenInternVisible() {
    for (CControlUI* child : m_items)
        child->SetInternVisible(IsVisible());
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar)
            bar->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* child : m_items)
        child->SetManager(manager, this, init);
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar)
            bar->SetManager(manager, this, false);
    }
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible())
        return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled())
        return nullptr;
    if ((flags & UIFIND_HITTEST) != 0) {
        if (!::PtInRect(&m_rcItem, *static_cast<const POINT*>(data)))
            return nullptr;
        if (CControlUI* bar = FindInScrollBars(proc, data, flags))
            return bar;
        // Children scrolled out of view are not under the pointer.
        const bool scrolled = m_pVerticalScrollBar || m_pHorizontalScrollBar;
        if (scrolled && !::PtInRect(&m_rcScrollView, *static_cast<const POINT*>(data)))
            return m_bMouseEnabled ? proc(this, data) : nullptr;
        // Children lie over their container: the topmost one wins.
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(proc, data, flags))
                return found;
        }
        return m_bMouseEnabled ? proc(this, data) : nullptr;
    }
    if ((flags & UIFIND_ME_FIRST) != 0) {
        if (CControlUI* found = proc(this, data))
            return found;
    }
    if ((flags & UIFIND_TOP_FIRST) != 0) {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(proc, data, flags))
                return found;
        }
    } else {
        // A visitor may add controls; index rather than iterate.
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (CControlUI* found = m_items[i]->FindControl(proc, data, flags))
                return found;
        }
    }
    return (flags & UIFIND_ME_FIRST) != 0 ? nullptr : proc(this, data);
}

void CContainerUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CContainerUI> kAttributes[] = {
        {"inset", [](CContainerUI& c, const char* v) { c.SetInset(ParseRect(v)); }},
        {"childpadding",
         [](CContainerUI& c, const char* v) {
             // A gap that is not a number, or negative, leaves the one there.
             int padding = 0;
             if (ParseInt(v, padding) && padding >= 0)
                 c.SetChildPadding(padding);
         }},
        {"vscrollbar",
         [](CContainerUI& c, const char* v) {
             c.EnableScrollBar(ParseBool(v), c.m_pHorizontalScrollBar != nullptr);
         }},
        {"hscrollbar",
         [](CContainerUI& c, const char* v) {
             c.EnableScrollBar(c.m_pVerticalScrollBar != nullptr, ParseBool(v));
         }},
        {"vscrollbarstyle", [](CContainerUI& c, const char* v) { c.SetScrollBarStyle(false, v); }},
        {"hscrollbarstyle", [](CContainerUI& c, const char* v) { c.SetScrollBarStyle(true, v); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CContainerUI::SetScrollBarStyle(bool horizontal, const char* style) {
    (horizontal ? m_sHorizontalScrollBarStyle : m_sVerticalScrollBarStyle) = style;
    if (CScrollBarUI* bar = horizontal ? m_pHorizontalScrollBar : m_pVerticalScrollBar)
        bar->ApplyAttributeList(style);
}

Arrangement CContainerUI::GetArrangement() const {
    return Arrangement{};
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayOutChildren();
}

namespace {

LayoutRect ToLayout(const RECT& rc) {
    return LayoutRect{static_cast<int>(rc.left), static_cast<int>(rc.top),
                      static_cast<int>(rc.right), static_cast<int>(rc.bottom)};
}

RECT ToRect(const LayoutRect& rc) {
    return RECT{rc.left, rc.top, rc.right, rc.bottom};
}

ChildSizing SizingOf(const CControlUI& child) {
    ChildSizing sizing;
    sizing.padding = ToLayout(child.GetPadding());
    sizing.fixed = LayoutSize{child.GetFixedWidth(), child.GetFixedHeight()};
    sizing.min = LayoutSize{child.GetMinWidth(), child.GetMinHeight()};
    sizing.max = LayoutSize{child.GetMaxWidth(), child.GetMaxHeight()};
    sizing.isFloat = child.IsFloat();
    sizing.floatPos = ToLayout(child.GetFloatPos());
    return sizing;
}

}  // namespace

// The one loop over the children for every layout: it hands their sizes to
// the layout arithmetic and applies what comes back.
void CContainerUI::LayOutChildren() {
    std::vector<CControlUI*> shown;
    std::vector<ChildSizing> sizing;
    for (CControlUI* child : m_items) {
        if (!child->IsVisible())
            continue;
        shown.push_back(child);
        sizing.push_back(SizingOf(*child));
    }
    ContainerFrame frame;
    frame.item = ToLayout(m_rcItem);
    frame.inset = ToLayout(m_rcInset);
    frame.childPadding = m_iChildPadding;
    frame.hasVertical = m_pVerticalScrollBar != nullptr;
    frame.hasHorizontal = m_pHorizontalScrollBar != nullptr;
    frame.verticalThickness = frame.hasVertical ? m_pVerticalScrollBar->GetThickness() : 0;
    frame.horizontalThickness = frame.hasHorizontal ? m_pHorizontalScrollBar->GetThickness() : 0;
    const SIZE scroll = GetScrollPos();
    frame.scroll = LayoutSize{static_cast<int>(scroll.cx), static_cast<int>(scroll.cy)};
    const Placement placed = SkinUI::PlaceChildren(
        GetArrangement(), frame, sizing, [&shown](size_t child, LayoutSize available) {
            const SIZE size = shown[child]->EstimateSize(SIZE{available.cx, available.cy});
            return LayoutSize{static_cast<int>(size.cx), static_cast<int>(size.cy)};
        });
    ShowScrollBars(placed);
    for (size_t i = 0; i < shown.size(); ++i)
        shown[i]->SetPos(ToRect(placed.children[i]));
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT paint;
    if (!::IntersectRect(&paint, &rcPaint, &m_rcItem))
        return;
    CControlUI::DoPaint(hDC, rcPaint);
    // Scrolled children show only in the view beside the scroll bars.
    const bool scrolled = m_pVerticalScrollBar || m_pHorizontalScrollBar;
    if (scrolled && !::IntersectRect(&paint, &paint, &m_rcScrollView)) {
        PaintScrollBars(hDC, rcPaint);
        return;
    }
    const int saved = ::SaveDC(hDC);
    ::IntersectClipRect(hDC, paint.left, paint.top, paint.right, paint.bottom);
    for (CControlUI* child : m_items) {
        if (!child->IsVisible())
            continue;
        const RECT pos = child->GetPos();
        RECT overlap;
        if (::IntersectRect(&overlap, &paint, &pos))
            child->DoPaint(hDC, paint);
    }
    ::RestoreDC(hDC, saved);
    PaintScrollBars(hDC, rcPaint);
}

}  // namespace SkinUI
