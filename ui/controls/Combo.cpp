#include "ui/controls/Combo.h"

#include <cstring>

#include "ui/controls/ComboDropWnd.h"
#include "ui/controls/ListElement.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Geometry.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

CComboUI::CComboUI() {
    m_iChildPadding = 0;
}

CComboUI::~CComboUI() {
    if (m_pWindow) {
        // The rows come back before they are destroyed with the combo.
        CComboDropWnd* window = m_pWindow;
        window->ReturnItems();
        window->Detach();
        m_pWindow = nullptr;
        ::DestroyWindow(window->GetHWND());
    }
}

void CComboUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CComboUI> kAttributes[] = {
        {"textpadding", [](CComboUI& c, const char* v) { c.m_rcTextPadding = ParseRect(v); }},
        {"dropboxsize", [](CComboUI& c, const char* v) { c.m_szDropBox = ParseSize(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value) || m_images.SetAttribute(name, value) ||
        SetListInfoAttribute(m_listInfo, name, value)) {
        Invalidate();
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

std::string CComboUI::GetText() const {
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : std::string();
}

void CComboUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_pointer.Clear();
}

HWND CComboUI::GetDropWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CComboUI::CloseDropDown() {
    if (m_pWindow)
        ::PostMessageA(m_pWindow->GetHWND(), WM_CLOSE, 0, 0);
}

void CComboUI::CloseOnFocusLoss() {
    if (!m_pWindow)
        return;
    m_bClosingOnFocusLoss = true;
    CloseDropDown();
}

void CComboUI::OnDropClosed() {
    m_pWindow = nullptr;
    // Closed because the focus went elsewhere: it stays there.
    if (!m_bClosingOnFocusLoss)
        SetFocus();
    m_bClosingOnFocusLoss = false;
    Invalidate();
}

bool CComboUI::SelectItem(int index, bool takeFocus) {
    CloseDropDown();
    if (index == m_iCurSel)
        return true;
    const int old = m_iCurSel;
    if (m_iCurSel >= 0) {
        IListItemUI* current = AsListItem(GetItemAt(m_iCurSel));
        if (!current)
            return false;
        current->Select(false);
        m_iCurSel = -1;
    }
    if (index < 0 || m_items.empty())
        return false;
    if (index >= GetCount())
        index = GetCount() - 1;
    CControlUI* control = GetItemAt(index);
    if (!IsSelectableItem(control))
        return false;
    m_iCurSel = index;
    if (m_pWindow || takeFocus)
        control->SetFocus();
    AsListItem(control)->Select(true);
    if (m_pManager) {
        m_pManager->SendNotify(this, "itemselect", static_cast<WPARAM>(m_iCurSel),
                               static_cast<LPARAM>(old));
    }
    Invalidate();
    return true;
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount())
        return false;
    if (IListItemUI* item = AsListItem(control)) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    if (!CContainerUI::AddAt(control, index))
        return false;
    OnRowInserted(*this, index, m_iCurSel);
    return true;
}

bool CComboUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (!control)
        return false;
    if (m_pWindow)
        m_pWindow->Forget(control);
    if (!CContainerUI::Remove(control))
        return false;
    if (OnRowRemoved(*this, index, m_iCurSel)) {
        const int replacement = FindReplacementItem(*this, index);
        if (replacement >= 0)
            SelectItem(replacement);
    }
    return true;
}

void CComboUI::RemoveAll() {
    if (m_pWindow) {
        for (CControlUI* item : m_items)
            m_pWindow->Forget(item);
    }
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate() || m_pWindow || !m_pManager)
        return false;
    m_pWindow = new CComboDropWnd(this);
    if (!m_pWindow->Open()) {
        // Create failed before the window existed, so nothing deletes it.
        delete m_pWindow;
        m_pWindow = nullptr;
        return false;
    }
    m_pManager->SendNotify(this, "dropdown");
    Invalidate();
    return true;
}

void CComboUI::SetPos(RECT rc) {
    // The rows are laid out by the drop-down, not inside the closed combo.
    CControlUI::SetPos(rc);
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    // The rows are not shown inside the combo, even while its list is open
    // in a window of its own: a hit test or a search for visible controls
    // (the tab order) ends at the combo.
    if ((flags & (UIFIND_HITTEST | UIFIND_VISIBLE)) != 0)
        return CControlUI::FindControl(proc, data, flags);
    return CContainerUI::FindControl(proc, data, flags);
}

void CComboUI::DoEvent(TEventUI& event) {
    if (m_pointer.TrackClickable(*this, event))
        return;
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                m_pointer.Press(*this);
                // A second press on the open combo closes its list, however
                // soon it follows the first.
                if (m_pWindow) {
                    CloseDropDown();
                } else {
                    Activate();
                }
            }
            return;
        case UIEVENT_KILLFOCUS:
            CloseOnFocusLoss();
            break;
        case UIEVENT_BUTTONUP:
            m_pointer.Release(*this);
            return;
        case UIEVENT_SCROLLWHEEL:
            if (m_pWindow)
                m_pWindow->ScrollByWheel(GET_WHEEL_DELTA_WPARAM(event.wParam));
            return;
        case UIEVENT_KEYDOWN:
            if (event.chKey == VK_UP) {
                if (m_iCurSel > 0)
                    SelectItem(m_iCurSel - 1);
                return;
            }
            if (event.chKey == VK_DOWN) {
                if (m_iCurSel + 1 < GetCount())
                    SelectItem(m_iCurSel + 1);
                return;
            }
            if (event.chKey == VK_F4 || event.chKey == VK_SPACE) {
                Activate();
                return;
            }
            if (m_pWindow && (event.chKey == VK_ESCAPE || event.chKey == VK_RETURN)) {
                CloseDropDown();
                return;
            }
            break;
        default:
            break;
    }
    CContainerUI::DoEvent(event);
}

// The open list keeps the box pushed; the box has no focused look.
UINT CComboUI::LookOfBox() const {
    return m_pointer.Flags() | (m_pWindow ? UISTATE_PUSHED : 0u) |
           (IsEnabled() ? 0u : UISTATE_DISABLED);
}

void CComboUI::PaintStatusImage(HDC hDC) {
    m_images.Draw(hDC, m_pManager, m_rcItem, m_rcPaint, LookOfBox());
}

// The selected row's text, in the rows' font and colour.
void CComboUI::PaintText(HDC hDC) {
    if (!m_pManager)
        return;
    DWORD color =
        m_listInfo.textColor != 0 ? m_listInfo.textColor : m_pManager->GetDefaultFontColor();
    if (!IsEnabled())
        color = m_pManager->GetDefaultDisabledColor();
    Render::DrawText(hDC, m_pManager, Deflated(m_rcItem, m_rcTextPadding), GetText(), color,
                     m_listInfo.font, DT_SINGLELINE | DT_VCENTER);
}

}  // namespace SkinUI
