#include "ui/core/WindowWnd.h"

#include "ui/core/WindowManager.h"

namespace SkinUI {

HWND CWindowWnd::Create(HWND parent, const char* name, DWORD style, DWORD exStyle, int x, int y,
                        int cx, int cy, HMENU menu) {
    const bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered)
        return nullptr;
    // m_hWnd is set at WM_NCCREATE. A creation that ends inside WM_CREATE
    // has already sent the final message, which may have deleted this
    // object, so nothing here touches it after the call.
    return ::CreateWindowExA(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, menu,
                             CWindowManagerUI::GetInstance(), this);
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSA wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = WndProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExA(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExA(CWindowManagerUI::GetInstance(), GetSuperClassName(), &wc)) {
        return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = CWindowManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CWindowWnd::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWindowWnd*>(cs->lpCreateParams);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY && self) {
            const LRESULT result = ::CallWindowProcA(self->m_OldWndProc, hWnd, msg, wParam, lParam);
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
            self->m_hWnd = nullptr;
            if (self->m_nHandling > 0) {
                self->m_bFinalPending = true;
            } else {
                self->OnFinalMessage(hWnd);
            }
            return result;
        }
    }
    if (!self)
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    ++self->m_nHandling;
    const LRESULT result = self->HandleMessage(msg, wParam, lParam);
    if (--self->m_nHandling == 0 && self->m_bFinalPending) {
        // The last handler on the stack has returned: the object may go now.
        self->m_bFinalPending = false;
        self->OnFinalMessage(hWnd);
    }
    return result;
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(m_OldWndProc, m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(m_hWnd))
        return;
    RECT rcWnd;
    ::GetWindowRect(m_hWnd, &rcWnd);
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);

    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT work = mi.rcWork;
    RECT center = work;
    if (owner)
        ::GetWindowRect(owner, &center);

    const int w = rcWnd.right - rcWnd.left;
    const int h = rcWnd.bottom - rcWnd.top;
    int x = (center.left + center.right) / 2 - w / 2;
    int y = (center.top + center.bottom) / 2 - h / 2;
    if (x < work.left) {
        x = work.left;
    } else if (x + w > work.right) {
        x = work.right - w;
    }
    if (y < work.top) {
        y = work.top;
    } else if (y + h > work.bottom) {
        y = work.bottom - h;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::Close(UINT result) {
    if (!::IsWindow(m_hWnd))
        return;
    PostMessage(WM_CLOSE, static_cast<WPARAM>(result), 0);
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, msg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, msg, wParam, lParam);
}

}  // namespace SkinUI
