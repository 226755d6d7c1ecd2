#include "ui/controls/ListElement.h"

#include <algorithm>
#include <cstring>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Geometry.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

constexpr int kDefaultRowHeight = 26;

}  // namespace

bool SetListInfoAttribute(TListInfoUI& info, const char* name, const char* value) {
    static const AttributeSetter<TListInfoUI> kAttributes[] = {
        {"itemtextcolor", [](TListInfoUI& i, const char* v) { i.textColor = ParseColor(v); }},
        {"itemselectedtextcolor",
         [](TListInfoUI& i, const char* v) { i.selectedTextColor = ParseColor(v); }},
        {"itemhotbkcolor", [](TListInfoUI& i, const char* v) { i.hotBkColor = ParseColor(v); }},
        {"itemselectedbkcolor",
         [](TListInfoUI& i, const char* v) { i.selectedBkColor = ParseColor(v); }},
        {"itemfont", [](TListInfoUI& i, const char* v) { i.font = std::atoi(v); }},
        {"itemtextpadding", [](TListInfoUI& i, const char* v) { i.textPadding = ParseRect(v); }},
    };
    return ApplyAttribute(kAttributes, info, name, value);
}

IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
}

bool IsSelectableItem(CControlUI* control) {
    return control && control->IsVisible() && control->IsEnabled() && AsListItem(control);
}

namespace {

void RenumberFrom(const IContainerUI& owner, int from) {
    for (int i = std::max(0, from); i < owner.GetCount(); ++i) {
        if (IListItemUI* item = AsListItem(owner.GetItemAt(i)))
            item->SetIndex(i);
    }
}

}  // namespace

void OnRowInserted(const IContainerUI& owner, int index, int& selected) {
    RenumberFrom(owner, index);
    if (index <= selected)
        ++selected;
}

bool OnRowRemoved(const IContainerUI& owner, int index, int& selected) {
    RenumberFrom(owner, index);
    if (index == selected) {
        selected = -1;
        return true;
    }
    if (index < selected)
        --selected;
    return false;
}

int FindReplacementItem(const IContainerUI& owner, int removed) {
    const int count = owner.GetCount();
    for (int i = std::min(removed, count - 1); i >= 0; --i) {
        if (IsSelectableItem(owner.GetItemAt(i)))
            return i;
    }
    for (int i = 0; i < count; ++i) {
        if (IsSelectableItem(owner.GetItemAt(i)))
            return i;
    }
    return -1;
}

// A row answers as a list item, not as a generic container: its owner
// decides what the row's children are for.
void* CListElementUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    return InterfaceOf<CControlUI>(this, name, "ListElement");
}

// A list is one tab stop, moved through with the arrow keys; its rows take
// the focus only when clicked.
UINT CListElementUI::GetControlFlags() const {
    if (!IsEnabled() || (m_pOwnerControl && m_pOwnerControl->GetInterface("List")))
        return 0;
    return UIFLAG_TABSTOP;
}

void CListElementUI::SetOwner(CControlUI* owner) {
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
    m_pOwnerControl = m_pOwner ? owner : nullptr;
}

bool CListElementUI::Select(bool select) {
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListElementUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner)
            m_pOwner->SelectItem(-1);
    }
}

void CListElementUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_pointer.Clear();
}

bool CListElementUI::Activate() {
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, "itemactivate");
    return true;
}

void CListElementUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled()) {
        if (m_pManager)
            m_pManager->SendNotify(this, "itemdbclick");
        return;
    }
    if (event.Type == UIEVENT_KEYDOWN && IsEnabled() && event.chKey == VK_RETURN) {
        Activate();
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        CControlUI::DoEvent(event);
        return;
    }
    // What the row does not use, its owner may (the combo's arrow keys).
    if (m_pOwner) {
        m_pOwner->DoEvent(event);
    } else {
        CContainerUI::DoEvent(event);
    }
}

void CListLabelElementUI::ShowButtons(bool show) {
    for (CControlUI* child : m_items) {
        if (std::strcmp(child->GetClass(), "ButtonUI") == 0)
            child->SetVisible(show);
    }
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
            if (IsEnabled()) {
                // The drop-down's own manager hears the click on the row;
                // the owner then selects it and tells its own listeners.
                if (m_pManager)
                    m_pManager->SendNotify(this, "itemclick");
                if (m_pOwner)
                    m_pOwner->SelectItem(m_iIndex, true);
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
        case UIEVENT_MOUSEMOVE:
            return;
        case UIEVENT_MOUSEENTER:
        case UIEVENT_MOUSELEAVE:
            // A hovered row shows its buttons (an account's delete button).
            m_pointer.TrackHover(*this, event);
            ShowButtons(m_pointer.IsHot());
            return;
        default:
            CListElementUI::DoEvent(event);
    }
}

SIZE CListLabelElementUI::EstimateSize(SIZE available) {
    return SIZE{m_cxyFixed.cx > 0 ? m_cxyFixed.cx : available.cx,
                m_cxyFixed.cy > 0 ? m_cxyFixed.cy : kDefaultRowHeight};
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    static const TListInfoUI kPlain;
    const TListInfoUI& info = m_pOwner ? m_pOwner->GetListInfo() : kPlain;
    DWORD back = m_dwBkColor;
    if (m_bSelected && info.selectedBkColor != 0)
        back = info.selectedBkColor;
    if (m_pointer.IsHot() && info.hotBkColor != 0)
        back = info.hotBkColor;
    Render::DrawColor(hDC, m_rcItem, back);
    PaintBkImage(hDC);
    // In the open drop-down the row belongs to the list's own manager,
    // which has none of the skin's fonts and colours: the owner's manager has.
    CWindowManagerUI* skin = m_pOwnerControl && m_pOwnerControl->GetManager()
                                 ? m_pOwnerControl->GetManager()
                                 : m_pManager;
    if (skin) {
        const RECT rc =
            Deflated(m_rcItem, RECT{info.textPadding.left, 0, info.textPadding.right, 0});
        DWORD color =
            m_bSelected && info.selectedTextColor != 0 ? info.selectedTextColor : info.textColor;
        if (color == 0)
            color = skin->GetDefaultFontColor();
        if (!IsEnabled())
            color = skin->GetDefaultDisabledColor();
        Render::DrawText(hDC, skin, rc, m_sText, color, info.font, DT_SINGLELINE | DT_VCENTER);
    }
    PaintBorder(hDC);
    // The row's children (a delete button) over its text.
    for (CControlUI* child : m_items) {
        if (child->IsVisible())
            child->DoPaint(hDC, m_rcPaint);
    }
}

}  // namespace SkinUI
