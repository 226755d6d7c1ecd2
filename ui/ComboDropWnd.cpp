#include "ui/ComboDropWnd.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/Combo.h"

namespace SkinUI {

namespace {

CControlUI* CALLBACK ForgetInManager(CControlUI* control, LPVOID data) {
    static_cast<CWindowManagerUI*>(data)->ReapObjects(control);
    return nullptr;
}

}  // namespace

bool CComboDropWnd::Open() {
    CWindowManagerUI* comboManager = m_pOwner->GetManager();
    const RECT pos = m_pOwner->GetPos();
    const SIZE box = m_pOwner->GetDropBoxSize();
    int rowsHeight = 2;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (item->IsVisible())
            rowsHeight += item->EstimateSize(SIZE{0, 0}).cy;
    }
    const int width = box.cx > 0 ? box.cx : pos.right - pos.left;
    const int height = std::max(24, std::min<int>(rowsHeight, box.cy));
    POINT topLeft = {pos.left, pos.bottom};
    ::ClientToScreen(comboManager->GetPaintWindow(), &topLeft);
    // Open upwards when the list would leave the screen at the bottom.
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(::MonitorFromPoint(topLeft, MONITOR_DEFAULTTONEAREST), &mi);
    if (topLeft.y + height > mi.rcWork.bottom)
        topLeft.y -= height + (pos.bottom - pos.top);

    if (!Create(comboManager->GetPaintWindow(), nullptr, WS_POPUP | WS_BORDER,
                WS_EX_TOOLWINDOW | WS_EX_TOPMOST, topLeft.x, topLeft.y, width, height)) {
        return false;
    }
    m_pm.AttachWindow(m_hWnd);
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->SetBkColor(0xFFFFFFFF);
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachRoot(m_pLayout);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetFocus(m_hWnd);
    return true;
}

void CComboDropWnd::Forget(CControlUI* item) {
    item->FindControl(ForgetInManager, &m_pm, UIFIND_ALL);
    if (m_pLayout)
        m_pLayout->Detach(item);
}

void CComboDropWnd::ReturnItems() {
    if (m_bItemsReturned || !m_pOwner)
        return;
    m_bItemsReturned = true;
    CWindowManagerUI* comboManager = m_pOwner->GetManager();
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        Forget(item);
        if (comboManager) {
            comboManager->InitControls(item, m_pOwner);
        } else {
            item->SetManager(nullptr, m_pOwner, false);
        }
    }
}

void CComboDropWnd::OnButtonUp(LPARAM lParam) {
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CControlUI* hit = m_pm.FindControlAt(pt);
    if (hit && hit->GetInterface("Button") && m_pOwner && m_pOwner->GetManager()) {
        // A button inside a row (an account's delete button) is heard by the
        // combo's listeners, not by this window's manager, and the row is
        // not selected. The listener may remove the row: this manager lets
        // go of it first.
        m_pm.ReleaseCapture();
        m_pOwner->GetManager()->SendNotify(hit, "click");
    } else {
        LRESULT ignored = 0;
        m_pm.ProcessMessage(WM_LBUTTONUP, 0, lParam, ignored);
    }
    PostMessage(WM_CLOSE);
}

LRESULT CComboDropWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            Finish();
            ::DestroyWindow(m_hWnd);
            return 0;
        case WM_KILLFOCUS:
            if (reinterpret_cast<HWND>(wParam) != m_hWnd)
                PostMessage(WM_CLOSE);
            break;
        case WM_LBUTTONUP:
            OnButtonUp(lParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_RETURN) {
                PostMessage(WM_CLOSE);
                return 0;
            }
            if (m_pOwner && (wParam == VK_UP || wParam == VK_DOWN)) {
                const int next = m_pOwner->GetCurSel() + (wParam == VK_UP ? -1 : 1);
                if (next >= 0 && next < m_pOwner->GetCount())
                    m_pOwner->SelectItem(next, true);
                return 0;
            }
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (m_pm.ProcessMessage(msg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CComboDropWnd::Finish() {
    ReturnItems();
    CComboUI* owner = m_pOwner;
    m_pOwner = nullptr;
    if (owner)
        owner->OnDropClosed();
}

void CComboDropWnd::OnFinalMessage(HWND) {
    Finish();
    delete this;
}

}  // namespace SkinUI
