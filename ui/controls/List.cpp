#include "ui/controls/List.h"

#include <algorithm>

#include "ui/core/WindowManager.h"

namespace SkinUI {

CListUI::CListUI() {
    EnableScrollBar(true, false);
}

void CListUI::SetAttribute(const char* name, const char* value) {
    if (SetListInfoAttribute(m_listInfo, name, value)) {
        Invalidate();
        return;
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

bool CListUI::SelectItem(int index, bool takeFocus) {
    CControlUI* control = GetItemAt(index);
    if (index == m_iCurSel) {
        if (control && takeFocus)
            control->SetFocus();
        if (control)
            ScrollIntoView(control->GetPos());
        return control != nullptr;
    }
    if (!IsSelectableItem(control))
        return false;
    const int old = m_iCurSel;
    if (IListItemUI* current = AsListItem(GetItemAt(m_iCurSel)))
        current->Select(false);
    m_iCurSel = index;
    AsListItem(control)->Select(true);
    if (takeFocus)
        control->SetFocus();
    ScrollIntoView(control->GetPos());
    if (m_pManager) {
        m_pManager->SendNotify(this, "itemselect", static_cast<WPARAM>(index),
                               static_cast<LPARAM>(old));
    }
    return true;
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index))
        return false;
    if (IListItemUI* item = AsListItem(control))
        item->SetOwner(this);
    OnRowInserted(*this, index, m_iCurSel);
    return true;
}

bool CListUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (!control || !CVerticalLayoutUI::Remove(control))
        return false;
    // A removed selected row leaves nothing selected until a row is chosen.
    OnRowRemoved(*this, index, m_iCurSel);
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

int CListUI::FindSelectable(int from, int step) const {
    for (int i = from; i >= 0 && i < GetCount(); i += step) {
        if (IsSelectableItem(GetItemAt(i)))
            return i;
    }
    return -1;
}

int CListUI::RowsPerPage() const {
    const CControlUI* row = GetItemAt(std::max(0, m_iCurSel));
    const int rowHeight = row ? std::max<int>(1, row->GetPos().bottom - row->GetPos().top) : 1;
    return std::max(1, static_cast<int>(m_rcScrollView.bottom - m_rcScrollView.top) / rowHeight);
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN && IsEnabled()) {
        int target = -1;
        switch (event.chKey) {
            case VK_UP:
                target = FindSelectable(m_iCurSel - 1, -1);
                break;
            case VK_DOWN:
                target = FindSelectable(m_iCurSel + 1, 1);
                break;
            case VK_HOME:
                target = FindSelectable(0, 1);
                break;
            case VK_END:
                target = FindSelectable(GetCount() - 1, -1);
                break;
            case VK_PRIOR:
                target = FindSelectable(std::max(0, m_iCurSel - RowsPerPage()), 1);
                break;
            case VK_NEXT:
                target = FindSelectable(std::min(GetCount() - 1, m_iCurSel + RowsPerPage()), -1);
                break;
            default:
                CVerticalLayoutUI::DoEvent(event);
                return;
        }
        // The focus follows the selection when a row had it.
        const bool rowFocused = m_pManager && m_pManager->GetFocus() != this;
        if (target >= 0)
            SelectItem(target, rowFocused);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

}  // namespace SkinUI
