// The manager's window-message handling: double-buffered painting with the
// layout done on demand, mouse hover, capture and clicks, keyboard input to
// the focused control, control timers and tooltips.
#include "ui/core/WindowManager.h"

#include <commctrl.h>
#include <olectl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/core/ManagerPostedMessages.h"
#include "ui/core/Render.h"

namespace SkinUI {

namespace {

std::vector<CControlUI*> ChainOf(CControlUI* control) {
    std::vector<CControlUI*> chain;
    for (CControlUI* c = control; c; c = c->GetParent())
        chain.push_back(c);
    return chain;
}

bool Contains(const std::vector<CControlUI*>& list, CControlUI* control) {
    return std::find(list.begin(), list.end(), control) != list.end();
}

}  // namespace

void CWindowManagerUI::NeedUpdate() {
    m_bUpdateNeeded = true;
    ++m_nUpdateRequests;
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CWindowManagerUI::LayoutIfNeeded() {
    if (!m_pRoot)
        return;
    RECT client = {0, 0, 0, 0};
    if (m_hWndPaint)
        ::GetClientRect(m_hWndPaint, &client);
    if (client.right <= client.left || client.bottom <= client.top) {
        client = RECT{0, 0, m_szInitWindowSize.cx, m_szInitWindowSize.cy};
    }
    // The window may change size without WM_SIZE reaching the manager, so
    // the client rectangle is compared at every paint.
    const RECT current = m_pRoot->GetPos();
    if (!::EqualRect(&current, &client))
        m_bUpdateNeeded = true;
    // Laying out may ask for another layout (a control shown or hidden).
    // The flag clears only once the tree is placed, so a layout that throws
    // is tried again at the next paint.
    for (int pass = 0; pass < 4 && m_bUpdateNeeded; ++pass) {
        const unsigned requests = m_nUpdateRequests;
        m_pRoot->SetPos(client);
        m_bUpdateNeeded = m_nUpdateRequests != requests;
    }
    m_bUpdateNeeded = false;
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, "windowinit");
    }
    if (m_bFocusNeeded) {
        m_bFocusNeeded = false;
        SetNextTabControl();
    }
}

void CWindowManagerUI::PaintWindow() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWndPaint, &ps);
    LayoutIfNeeded();
    RECT client;
    ::GetClientRect(m_hWndPaint, &client);
    const SIZE size = {client.right - client.left, client.bottom - client.top};
    if (m_pRoot && size.cx > 0 && size.cy > 0 && !::IsRectEmpty(&ps.rcPaint)) {
        if (!m_offscreen || m_szOffscreen.cx != size.cx || m_szOffscreen.cy != size.cy) {
            m_offscreen.Reset();
            void* bits = nullptr;
            m_offscreen.Reset(::CreateCompatibleDC(dc),
                              Render::CreateTopDownDib(dc, size.cx, size.cy, &bits));
            m_szOffscreen = size;
        }
        if (HDC off = m_offscreen.dc()) {
            const int saved = ::SaveDC(off);
            ::IntersectClipRect(off, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                                ps.rcPaint.bottom);
            m_pRoot->DoPaint(off, ps.rcPaint);
            ::RestoreDC(off, saved);
            ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                     ps.rcPaint.bottom - ps.rcPaint.top, off, ps.rcPaint.left, ps.rcPaint.top,
                     SRCCOPY);
        }
    }
    ::EndPaint(m_hWndPaint, &ps);
}

void CWindowManagerUI::SendEvent(CControlUI* control, UIEventType type, WPARAM wParam,
                                 LPARAM lParam, char key) {
    if (!control)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = m_ptLastMouse;
    event.wParam = wParam;
    event.lParam = lParam;
    event.chKey = key;
    WORD state = 0;
    if (::GetKeyState(VK_CONTROL) < 0)
        state |= MK_CONTROL;
    if (::GetKeyState(VK_SHIFT) < 0)
        state |= MK_SHIFT;
    event.wKeyState = state;
    control->Event(event);
}

// Leaving and entering follow the parent chains, so a row stays hovered
// while the pointer is over one of its children.
void CWindowManagerUI::UpdateHover(CControlUI* hover) {
    if (hover == m_pEventHover)
        return;
    const std::vector<CControlUI*> oldChain = ChainOf(m_pEventHover);
    const std::vector<CControlUI*> newChain = ChainOf(hover);
    if (m_pEventHover)
        HideToolTip();
    m_pEventHover = hover;
    for (CControlUI* c : oldChain) {
        if (!Contains(newChain, c))
            SendEvent(c, UIEVENT_MOUSELEAVE);
    }
    for (auto it = newChain.rbegin(); it != newChain.rend(); ++it) {
        if (!Contains(oldChain, *it))
            SendEvent(*it, UIEVENT_MOUSEENTER);
    }
}

void CWindowManagerUI::SetCapture() {
    if (m_hWndPaint)
        ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CWindowManagerUI::ReleaseCapture() {
    if (m_bMouseCapture)
        ::ReleaseCapture();
    m_bMouseCapture = false;
}

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT timerId, UINT elapse) {
    if (!control || !m_hWndPaint)
        return false;
    for (TimerInfo& timer : m_aTimers) {
        if (timer.control == control && timer.localId == timerId) {
            return ::SetTimer(m_hWndPaint, timer.windowId, elapse, nullptr) != 0;
        }
    }
    const UINT_PTR windowId = m_nextTimerId++;
    if (!::SetTimer(m_hWndPaint, windowId, elapse, nullptr))
        return false;
    m_aTimers.push_back(TimerInfo{control, timerId, windowId});
    return true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT timerId) {
    for (size_t i = 0; i < m_aTimers.size(); ++i) {
        if (m_aTimers[i].control == control && m_aTimers[i].localId == timerId) {
            if (m_hWndPaint)
                ::KillTimer(m_hWndPaint, m_aTimers[i].windowId);
            m_aTimers.erase(m_aTimers.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

void CWindowManagerUI::KillTimers(CControlUI* control) {
    for (size_t i = m_aTimers.size(); i-- > 0;) {
        if (m_aTimers[i].control != control)
            continue;
        if (m_hWndPaint)
            ::KillTimer(m_hWndPaint, m_aTimers[i].windowId);
        m_aTimers.erase(m_aTimers.begin() + static_cast<long>(i));
    }
}

void CWindowManagerUI::ShowToolTip(CControlUI* control) {
    if (!control || !m_hWndPaint)
        return;
    m_sTooltipText = control->GetToolTip();
    if (m_sTooltipText.empty())
        return;
    if (!m_tooltip) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        m_tooltip.reset(::CreateWindowExA(
            0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint, nullptr, GetInstance(), nullptr));
        if (!m_tooltip)
            return;
        ::SendMessageA(m_tooltip.get(), TTM_SETMAXTIPWIDTH, 0, 400);
    }
    // The older record size works with both versions of the common controls.
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_hWndPaint;
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    ti.hinst = GetInstance();
    ti.lpszText = &m_sTooltipText[0];
    ti.rect = control->GetPos();
    // The window is one tool, added once; each control hands it its text and
    // place. (A tool added per control would stay when the control goes.)
    ::SendMessageA(m_tooltip.get(), m_bTooltipToolAdded ? TTM_SETTOOLINFOA : TTM_ADDTOOLA, 0,
                   reinterpret_cast<LPARAM>(&ti));
    m_bTooltipToolAdded = true;
    m_pTooltipControl = control;
    ::SendMessageA(m_tooltip.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
}

void CWindowManagerUI::HideToolTip() {
    if (!m_tooltip || !m_pTooltipControl)
        return;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = m_hWndPaint;
    ti.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    ::SendMessageA(m_tooltip.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

void CWindowManagerUI::RestoreFocus() {
    // The window got the native focus back (activation, a closed edit box):
    // the focused control reopens whatever it shows for typing.
    if (m_pFocus && ::GetFocus() == m_hWndPaint)
        SendEvent(m_pFocus, UIEVENT_SETFOCUS);
}

bool CWindowManagerUI::HandleMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_MOUSEMOVE: {
            if (!m_bMouseTracking) {
                TRACKMOUSEEVENT tme = {sizeof(tme), TME_HOVER | TME_LEAVE, m_hWndPaint, 400};
                ::TrackMouseEvent(&tme);
                m_bMouseTracking = true;
            }
            m_ptLastMouse = pt;
            if (m_bMouseCapture && m_pEventClick) {
                SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE, wParam, lParam);
                return true;
            }
            UpdateHover(FindControlAt(pt));
            SendEvent(m_pEventHover, UIEVENT_MOUSEMOVE, wParam, lParam);
            return m_pEventHover != nullptr;
        }
        case WM_MOUSEHOVER:
            m_bMouseTracking = false;
            m_ptLastMouse = pt;
            if (m_pEventHover) {
                SendEvent(m_pEventHover, UIEVENT_MOUSEHOVER, wParam, lParam);
                ShowToolTip(m_pEventHover);
            }
            return true;
        case WM_MOUSELEAVE:
            m_bMouseTracking = false;
            HideToolTip();
            if (!m_bMouseCapture)
                UpdateHover(nullptr);
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            m_ptLastMouse = pt;
            CControlUI* control = FindControlAt(pt);
            if (!control)
                return false;
            HideToolTip();
            // A press moves the focus: onto a control that takes it, away
            // from the focused one otherwise (which closes an open edit box).
            if (control != m_pFocus) {
                SetFocus((control->GetControlFlags() & UIFLAG_TABSTOP) != 0 ? control : nullptr);
            }
            m_pEventClick = control;
            SetCapture();
            SendEvent(control, msg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK,
                      wParam, lParam);
            return true;
        }
        case WM_LBUTTONUP: {
            m_ptLastMouse = pt;
            ReleaseCapture();
            CControlUI* control = m_pEventClick;
            m_pEventClick = nullptr;
            if (!control)
                return false;
            SendEvent(control, UIEVENT_BUTTONUP, wParam, lParam);
            return true;
        }
        case WM_RBUTTONDOWN: {
            m_ptLastMouse = pt;
            CControlUI* control = FindControlAt(pt);
            if (!control)
                return false;
            SendEvent(control, UIEVENT_RBUTTONDOWN, wParam, lParam);
            return true;
        }
        default:
            return false;
    }
}

bool CWindowManagerUI::HandleKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_pFocus)
        return false;
    const UIEventType type = msg == WM_KEYDOWN ? UIEVENT_KEYDOWN
                             : msg == WM_KEYUP ? UIEVENT_KEYUP
                                               : UIEVENT_CHAR;
    SendEvent(m_pFocus, type, wParam, lParam, static_cast<char>(wParam));
    return true;
}

bool CWindowManagerUI::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (!FlushAsyncNotify())
        return true;
    if (!m_hWndPaint)
        return false;
    switch (msg) {
        case kDelayedCleanupMessage:
            // Inside a listener's own message loop the controls wait.
            if (m_nNotifyDepth == 0)
                ReapDelayedCleanup();
            return true;
        case kRestoreFocusMessage:
            RestoreFocus();
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
            PaintWindow();
            return true;
        case WM_PRINTCLIENT:
            if (m_pRoot) {
                LayoutIfNeeded();
                RECT client;
                ::GetClientRect(m_hWndPaint, &client);
                m_pRoot->DoPaint(reinterpret_cast<HDC>(wParam), client);
            }
            return true;
        case WM_SIZE:
            if (m_pRoot)
                NeedUpdate();
            return false;
        case WM_SETFOCUS:
            ::PostMessageA(m_hWndPaint, kRestoreFocusMessage, 0, 0);
            return false;
        case WM_TIMER:
            for (const TimerInfo& timer : m_aTimers) {
                if (timer.windowId == wParam) {
                    SendEvent(timer.control, UIEVENT_TIMER, timer.localId, lParam);
                    return true;
                }
            }
            return false;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT)
                return false;
            POINT pt;
            ::GetCursorPos(&pt);
            ::ScreenToClient(m_hWndPaint, &pt);
            CControlUI* control = FindControlAt(pt);
            if (!control || (control->GetControlFlags() & UIFLAG_SETCURSOR) == 0)
                return false;
            SendEvent(control, UIEVENT_SETCURSOR, wParam, lParam);
            result = TRUE;
            return true;
        }
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            // Native children (edit boxes) handle their own notifications.
            if (lParam == 0)
                return false;
            result =
                ::SendMessageA(reinterpret_cast<HWND>(lParam), OCM__BASE + msg, wParam, lParam);
            return true;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
            return HandleKeyMessage(msg, wParam, lParam);
        case WM_MOUSEWHEEL: {
            // The wheel turns what is under the pointer (a list, a slider),
            // else the control with the focus, as the system sends it to
            // the focused window.
            CControlUI* target = m_pEventHover ? m_pEventHover : m_pFocus;
            if (!target)
                return false;
            SendEvent(target, UIEVENT_SCROLLWHEEL, wParam, lParam);
            return true;
        }
        case WM_MOUSEMOVE:
        case WM_MOUSEHOVER:
        case WM_MOUSELEAVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
            return HandleMouseMessage(msg, wParam, lParam);
        case WM_CAPTURECHANGED:
            m_bMouseCapture = false;
            return false;
        default:
            return false;
    }
}

}  // namespace SkinUI
