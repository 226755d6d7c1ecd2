#include "ui/controls/ComboDropWnd.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/controls/Combo.h"
#include "ui/core/Geometry.h"

namespace SkinUI {

namespace {

CControlUI* CALLBACK ForgetInManager(CControlUI* control, LPVOID data) {
    static_cast<CWindowManagerUI*>(data)->ReapObjects(control);
    return nullptr;
}

// The list never has the keyboard focus, so it hears of the combo's window
// losing it (to another program, or a window of this one) by watching that
// window while it is open.
LRESULT CALLBACK WatchFocus(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR list) {
    if (msg == WM_KILLFOCUS)
        reinterpret_cast<CComboDropWnd*>(list)->OnComboWindowLostFocus();
    return ::DefSubclassProc(hWnd, msg, wParam, lParam);
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
            rowsHeight = SaturatedAdd(rowsHeight, item->EstimateSize(SIZE{0, 0}).cy);
    }
    const int width = box.cx > 0 ? box.cx : pos.right - pos.left;
    const int height = std::max(24, std::min<int>(rowsHeight, box.cy));
    // Rows beyond the box's height are reached with a scroll bar.
    m_nRowsHeight = rowsHeight - 2;
    const DWORD scrollStyle = rowsHeight > height ? WS_VSCROLL : 0;
    POINT topLeft = {pos.left, pos.bottom};
    ::ClientToScreen(comboManager->GetPaintWindow(), &topLeft);
    // Open upwards when the list would leave the screen at the bottom.
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(::MonitorFromPoint(topLeft, MONITOR_DEFAULTTONEAREST), &mi);
    if (topLeft.y + height > mi.rcWork.bottom)
        topLeft.y -= height + (pos.bottom - pos.top);

    // The list never takes the activation or the keyboard: the combo keeps
    // the focus and closes the list when it loses it. (Under Wine without a
    // window manager an activated pop-up also outlives its destruction.)
    if (!Create(comboManager->GetPaintWindow(), nullptr, WS_POPUP | WS_BORDER | scrollStyle,
                WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, topLeft.x, topLeft.y, width, height)) {
        return false;
    }
    m_hWndWatched = comboManager->GetPaintWindow();
    ::SetWindowSubclass(m_hWndWatched, WatchFocus, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this));
    m_pm.AttachWindow(m_hWnd);
    m_pm.SetNoActivate(true);
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->SetBkColor(0xFFFFFFFF);
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachRoot(m_pLayout);
    if (scrollStyle != 0)
        ScrollTo(0);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return true;
}

int CComboDropWnd::ClientHeight() const {
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    return client.bottom - client.top;
}

// The rows move up by the offset: the layout starts above the window's top.
void CComboDropWnd::ScrollTo(int offset) {
    const int page = ClientHeight();
    m_nScroll = std::max(0, std::min(offset, m_nRowsHeight - page));
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = m_nRowsHeight - 1;
    info.nPage = static_cast<UINT>(page);
    info.nPos = m_nScroll;
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    m_pLayout->SetInset(RECT{0, -m_nScroll, 0, 0});
}

void CComboDropWnd::OnVScroll(int code) {
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(m_hWnd, SB_VERT, &info);
        ScrollTo(info.nTrackPos);
        return;
    }
    const CControlUI* first = m_pOwner ? m_pOwner->GetItemAt(0) : nullptr;
    const int line = first ? std::max<int>(1, first->GetPos().bottom - first->GetPos().top) : 16;
    const int page = ClientHeight();
    if (code == SB_LINEUP || code == SB_LINEDOWN)
        ScrollTo(m_nScroll + (code == SB_LINEUP ? -line : line));
    else if (code == SB_PAGEUP || code == SB_PAGEDOWN)
        ScrollTo(m_nScroll + (code == SB_PAGEUP ? -page : page));
}

void CComboDropWnd::ScrollByWheel(int delta) {
    // Three rows a notch.
    for (int i = 0; i < 3; ++i)
        OnVScroll(delta > 0 ? SB_LINEUP : SB_LINEDOWN);
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
    // The hovered row hears that the pointer left, so it hides its buttons
    // before it goes back.
    LRESULT ignored = 0;
    m_pm.ReleaseCapture();
    m_pm.ProcessMessage(WM_MOUSELEAVE, 0, 0, ignored);
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
    // A listener may have closed the list already (this object stays until
    // the click has returned); Close posts only to a window that is there.
    Close();
}

LRESULT CComboDropWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            Finish();
            ::DestroyWindow(m_hWnd);
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONUP:
            OnButtonUp(lParam);
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            // Where the wheel goes to the window under the pointer.
            ScrollByWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
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

void CComboDropWnd::OnComboWindowLostFocus() {
    if (m_pOwner)
        m_pOwner->CloseOnFocusLoss();
}

void CComboDropWnd::OnFinalMessage(HWND) {
    ::RemoveWindowSubclass(m_hWndWatched, WatchFocus, reinterpret_cast<UINT_PTR>(this));
    Finish();
    delete this;
}

}  // namespace SkinUI
