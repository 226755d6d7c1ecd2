#include "app/PlazaUpdateWnd.h"

#include "app/LauncherConstants.h"
#include "app/Messages.h"

const char* CPlazaUpdateWnd::GetWindowClassName() const { return kLauncherWindowClass; }

void CPlazaUpdateWnd::Notify(SkinUI::TNotifyMsg&) {}

LRESULT CPlazaUpdateWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            m_Manager.AttachWindow(m_hWnd);
            m_Manager.AddNotifier(this);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
        case WM_QUIT_LAUNCHER:
            ::PostQuitMessage(0);
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (m_Manager.ProcessMessage(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CPlazaUpdateWnd::OnFinalMessage(HWND) { delete this; }
