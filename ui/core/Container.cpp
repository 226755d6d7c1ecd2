#include "ui/core/Container.h"

#include <algorithm>
#include <cstring>

#include "ui/core/AttributeList.h"
#include "ui/core/Geometry.h"
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
    for (CControlUI* child : m_items)
        child->SetInternVisible(IsVisible());
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar)
            bar->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
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
    if (std::strcmp(name, "inset") == 0) {
        SetInset(ParseRect(value));
    } else if (std::strcmp(name, "childpadding") == 0) {
        SetChildPadding(std::atoi(value));
    } else if (std::strcmp(name, "vscrollbar") == 0) {
        EnableScrollBar(ParseBool(value), m_pHorizontalScrollBar != nullptr);
    } else if (std::strcmp(name, "hscrollbar") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, ParseBool(value));
    } else if (std::strcmp(name, "vscrollbarstyle") == 0) {
        m_sVerticalScrollBarStyle = value;
        if (m_pVerticalScrollBar)
            m_pVerticalScrollBar->ApplyAttributeList(value);
    } else if (std::strcmp(name, "hscrollbarstyle") == 0) {
        m_sHorizontalScrollBarStyle = value;
        if (m_pHorizontalScrollBar)
            m_pHorizontalScrollBar->ApplyAttributeList(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CContainerUI::ContentRect(RECT rc) const {
    return Deflated(rc, m_rcInset);
}

void CContainerUI::SetFloatPos(CControlUI* child) const {
    const RECT pos = child->GetFloatPos();
    child->SetPos(RECT{m_rcItem.left + pos.left, m_rcItem.top + pos.top, m_rcItem.left + pos.right,
                       m_rcItem.top + pos.bottom});
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    // Children lie over each other and fill the container; with scroll bars
    // they keep their fixed sizes and scroll when those overflow.
    const bool scrolls = m_pVerticalScrollBar || m_pHorizontalScrollBar;
    SIZE required = {0, 0};
    for (CControlUI* child : m_items) {
        if (!scrolls || !child->IsVisible() || child->IsFloat())
            continue;
        const RECT pad = child->GetPadding();
        required.cx = std::max<LONG>(required.cx, child->GetFixedWidth() + pad.left + pad.right);
        required.cy = std::max<LONG>(required.cy, child->GetFixedHeight() + pad.top + pad.bottom);
    }
    const RECT view = ReserveScrollBars(ContentRect(rc), required);
    const SIZE scroll = GetScrollPos();
    for (CControlUI* child : m_items) {
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        const RECT pad = child->GetPadding();
        RECT cell = {view.left + pad.left - scroll.cx, view.top + pad.top - scroll.cy,
                     view.right - pad.right - scroll.cx, view.bottom - pad.bottom - scroll.cy};
        if (scrolls && child->GetFixedWidth() > 0)
            cell.right = cell.left + child->GetFixedWidth();
        if (scrolls && child->GetFixedHeight() > 0)
            cell.bottom = cell.top + child->GetFixedHeight();
        child->SetPos(cell);
    }
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
