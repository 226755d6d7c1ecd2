#include "ui/layout/TabLayout.h"

#include <algorithm>
#include <cstdlib>

#include "ui/core/AttributeTable.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

bool CTabLayoutUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index))
        return false;
    if (m_iCurSel < 0) {
        m_iCurSel = index;
        control->SetVisible(true);
    } else {
        if (index <= m_iCurSel)
            ++m_iCurSel;
        control->SetVisible(false);
    }
    // The skin's selection, quietly: the skin is still being built.
    if (index == m_iPendingSel) {
        m_iPendingSel = -1;
        ShowOnly(index);
    }
    return true;
}

void CTabLayoutUI::ShowOnly(int index) {
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i)
        m_items[i]->SetVisible(i == index);
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control))
        return false;
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        if (GetCount() > 0)
            SelectItem(std::min(index, GetCount() - 1));
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount())
        return false;
    if (index == m_iCurSel)
        return true;
    const int old = m_iCurSel;
    ShowOnly(index);
    SetPos(m_rcItem);
    NeedParentUpdate();
    if (m_pManager) {
        m_items[index]->SetFocus();
        m_pManager->NeedFocusNext();
        m_pManager->SendNotify(this, "tabselect", static_cast<WPARAM>(index),
                               static_cast<LPARAM>(old));
    }
    return true;
}

void CTabLayoutUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CTabLayoutUI> kAttributes[] = {
        {"selectedid", [](CTabLayoutUI& c, const char* v) { c.SelectFromSkin(std::atoi(v)); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CContainerUI::SetAttribute(name, value);
}

// The builder applies attributes before it adds the pages, so a page not
// there yet is selected when it comes.
void CTabLayoutUI::SelectFromSkin(int index) {
    m_iPendingSel = -1;
    if (!SelectItem(index) && index >= GetCount())
        m_iPendingSel = index;
}

}  // namespace SkinUI
