#include "app/PlazaUpdateWnd.h"

#include "app/LauncherConstants.h"
#include "app/Messages.h"
#include "launcher_settings.h"

CPlazaUpdateWnd::CPlazaUpdateWnd()
    : m_sServerAddr(settings::kServerAddr),
      m_sServerHost(settings::kServerHost),
      m_pUiQueue(std::make_shared<UiQueue>(nullptr)) {}

CPlazaUpdateWnd::~CPlazaUpdateWnd() { m_pUiQueue->Detach(); }

const char* CPlazaUpdateWnd::GetWindowClassName() const { return kLauncherWindowClass; }

void CPlazaUpdateWnd::Notify(SkinUI::TNotifyMsg&) {}

void CPlazaUpdateWnd::InitLauncherWindow() {
    ::SetWindowTextA(m_hWnd, kLauncherTitle);
    StartUpdateThread();
    StartResolverThread();
}

LRESULT CPlazaUpdateWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            m_pUiQueue->SetTarget(m_hWnd);
            m_Manager.AttachWindow(m_hWnd);
            m_Manager.AddNotifier(this);
            InitLauncherWindow();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_RUN_ON_UI:
            m_pUiQueue->RunPending();
            return 0;
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

void CPlazaUpdateWnd::OnFinalMessage(HWND) {
    m_pUiQueue->Detach();
    delete this;
}
