#include "ui/controls/Combo.h"

#include <cstring>

#include "ui/controls/Button.h"
#include "ui/controls/ComboDropWnd.h"
#include "ui/controls/ListElement.h"
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

const char* CComboUI::GetClass() const {
    return "ComboUI";
}

void* CComboUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Combo") == 0)
        return static_cast<CComboUI*>(this);
    if (std::strcmp(name, "IListOwner") == 0)
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const {
    return IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u;
}

std::string CComboUI::GetText() const {
    CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : std::string();
}

void CComboUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_uButtonState = 0;
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
    m_uButtonState &= ~UISTATE_PUSHED;
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

bool CComboUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
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
    RenumberListItems(*this, index + 1);
    if (index <= m_iCurSel)
        ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    return RemoveAt(GetItemIndex(control));
}

bool CComboUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (!control)
        return false;
    if (m_pWindow)
        m_pWindow->Forget(control);
    if (!CContainerUI::Remove(control))
        return false;
    RenumberListItems(*this, index);
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        const int replacement = FindReplacementItem(*this, index);
        if (replacement >= 0)
            SelectItem(replacement);
    } else if (index < m_iCurSel) {
        --m_iCurSel;
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
    if (TrackHotState(*this, event, m_uButtonState))
        return;
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
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
            if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
                m_uButtonState &= ~UISTATE_CAPTURED;
                Invalidate();
            }
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
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return;
        default:
            break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::SetAttribute(const char* name, const char* value) {
    if (m_images.SetAttribute(name, value)) {
        Invalidate();
        return;
    }
    if (std::strcmp(name, "textpadding") == 0) {
        m_rcTextPadding = ParseRect(value);
    } else if (std::strcmp(name, "dropboxsize") == 0) {
        m_szDropBox = ParseSize(value);
    } else if (SetListInfoAttribute(m_listInfo, name, value)) {
    } else {
        CContainerUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

SIZE CComboUI::EstimateSize(SIZE) {
    return m_cxyFixed;
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    // The open list keeps the combo pushed.
    m_images.Draw(*this, hDC, m_uButtonState | (m_pWindow ? UISTATE_PUSHED : 0u));
    if (m_pManager) {
        const RECT rc = Deflated(m_rcItem, m_rcTextPadding);
        DWORD color =
            m_listInfo.textColor != 0 ? m_listInfo.textColor : m_pManager->GetDefaultFontColor();
        if (!IsEnabled())
            color = m_pManager->GetDefaultDisabledColor();
        Render::DrawText(hDC, m_pManager, rc, GetText(), color, m_listInfo.font,
                         DT_SINGLELINE | DT_VCENTER);
    }
    PaintBorder(hDC);
}

}  // namespace SkinUI
