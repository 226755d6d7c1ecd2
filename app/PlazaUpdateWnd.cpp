#include "app/PlazaUpdateWnd.h"

#include <cstring>
#include <string>

#include "app/ControlLookup.h"
#include "app/LauncherConstants.h"
#include "app/Messages.h"
#include "app/WebBrowserExUI.h"
#include "launcher_settings.h"
#include "ui/controls/Combo.h"
#include "ui/controls/Edit.h"
#include "ui/layout/FlowLayouts.h"
#include "ui/markup/DialogBuilder.h"

using namespace SkinUI;

namespace {

constexpr char kSkinFile[] = "Launcher.xml";
constexpr SIZE kEmptyWindowSize = {760, 500};

// What only shows the skin: pictures, labels and the layouts that hold them.
// Every other control, the skin's own and any a program adds, is one the
// player works with.
bool IsPlainClass(const char* cls) {
    for (const char* name :
         {"ControlUI", "LabelUI", "TextUI", "ProgressUI", "ContainerUI", "VerticalLayoutUI",
          "HorizontalLayoutUI", "TabLayoutUI", "TileLayoutUI", "ChildLayoutUI"}) {
        if (std::strcmp(cls, name) == 0)
            return true;
    }
    return false;
}

void KeepEmptyWindowUsable(HWND window, LONG_PTR captionStyle) {
    // Without its skin the window has neither a size nor a caption: the
    // player could not see or close it, and every later start would only
    // bring this invisible launcher forward. It keeps the system caption
    // and gets the shipped skin's size instead.
    ::SetWindowLongPtrA(window, GWL_STYLE, captionStyle);
    ::SetWindowPos(window, nullptr, 0, 0, kEmptyWindowSize.cx, kEmptyWindowSize.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

CPlazaUpdateWnd::CPlazaUpdateWnd()
    : m_pUiQueue(std::make_shared<UiQueue>(nullptr)),
      m_Engine(*this, m_pUiQueue, settings::kMirrorUrl, settings::kMirrorUrl2,
               settings::kMirrorUrl3),
      m_sServerAddr(settings::kServerAddr),
      m_sServerHost(settings::kServerHost) {}

CPlazaUpdateWnd::~CPlazaUpdateWnd() {
    m_pUiQueue->Detach();
}

const char* CPlazaUpdateWnd::GetWindowClassName() const {
    return kLauncherWindowClass;
}

LRESULT CPlazaUpdateWnd::OnCreate() {
    if (const HWND lobby = ::FindWindowA(kLobbyWindowClass, nullptr)) {
        // A lobby started meanwhile: it stays in front and this launcher leaves.
        if (::IsIconic(lobby))
            ::ShowWindow(lobby, SW_SHOWNORMAL);
        ::SetActiveWindow(lobby);
        ::BringWindowToTop(lobby);
        ::SetWindowPos(lobby, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        PostMessage(WM_QUIT_LAUNCHER);
        return 0;
    }
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrA(
        m_hWnd, GWL_STYLE,
        (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_pUiQueue->SetTarget(m_hWnd);
    m_Manager.AttachWindow(m_hWnd);
    CDialogBuilder builder;
    CDialogBuilderCallbackEx callback;
    CControlUI* root = builder.BuildFromMarkup(kSkinFile, nullptr, &callback, &m_Manager);
    if (!m_Manager.AttachRoot(root))
        KeepEmptyWindowUsable(m_hWnd, style);
    m_Manager.AddNotifier(this);
    InitLauncherWindow();
    return 0;
}

void CPlazaUpdateWnd::InitLauncherWindow() {
    if (auto* registerWeb = FindControlAs<CWebBrowserExUI>(m_Manager, "RegisterWeb")) {
        registerWeb->SetMainWindow(m_hWnd);
    }
    SendLogoPage();
    SendStatisticsReport();
    m_pAccountCombo = FindControlAs<CComboUI>(m_Manager, "Account");
    m_pAccountEdit = FindControlAs<CEditUI>(m_Manager, "LogonAccount");
    if (m_pAccountEdit)
        m_pAccountEdit->SetMaxChar(32);
    m_pPasswordEdit = FindControlAs<CEditUI>(m_Manager, "PassWord");
    LoadSavedAccounts();
    if (m_pPasswordEdit) {
        m_pPasswordEdit->SetMaxChar(32);
        m_pPasswordEdit->SetFocus();
    }
    ::SetWindowTextA(m_hWnd, kLauncherTitle);
    StartUpdateThread();
    StartResolverThread();
}

LRESULT CPlazaUpdateWnd::OnNcHitTest(LPARAM lParam) {
    if (!m_Manager.GetRoot())
        return ::DefWindowProcA(m_hWnd, WM_NCHITTEST, 0, lParam);
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const RECT caption = m_Manager.GetCaptionRect();
    const bool inCaption = pt.x >= client.left + caption.left &&
                           pt.x < client.right - caption.right && pt.y >= caption.top &&
                           pt.y < caption.bottom;
    if (!inCaption)
        return HTCLIENT;
    // The band drags the window over plain controls only; the controls the
    // player works with keep the mouse, with whatever lies inside them (a
    // list row, a row's label).
    const CControlUI* control = m_Manager.FindControlAt(pt);
    for (const CControlUI* c = control; c; c = c->GetParent()) {
        if (!IsPlainClass(c->GetClass()))
            return HTCLIENT;
    }
    return control ? HTCAPTION : HTCLIENT;
}

void CPlazaUpdateWnd::OnSize() {
    const SIZE corner = m_Manager.GetRoundCorner();
    if (::IsIconic(m_hWnd) || (corner.cx == 0 && corner.cy == 0))
        return;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    ::OffsetRect(&rc, -rc.left, -rc.top);
    // The region excludes its right and bottom edges; widen it so the skin's
    // last pixel column and row stay visible.
    UniqueRegion region(
        ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, corner.cx, corner.cy));
    if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE))
        region.release();
}

LRESULT CPlazaUpdateWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            return OnCreate();
        case WM_NCHITTEST:
            return OnNcHitTest(lParam);
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_ERASEBKGND:
            // The skin paints every pixel; an empty window gets a plain face.
            if (!m_Manager.GetRoot()) {
                RECT client;
                ::GetClientRect(m_hWnd, &client);
                ::FillRect(reinterpret_cast<HDC>(wParam), &client,
                           ::GetSysColorBrush(COLOR_BTNFACE));
            }
            return 1;
        case WM_RUN_ON_UI:
            m_pUiQueue->RunPending();
            return 0;
        case WM_DESTROY:
        case WM_QUIT_LAUNCHER:
            ::PostQuitMessage(0);
            break;
        case WM_LOGON_LOBBY:
            OnLogonLobby(reinterpret_cast<const wchar_t*>(wParam),
                         reinterpret_cast<const wchar_t*>(lParam));
            return 0;
        case WM_REGISTER_CANCEL:
            if (!LoginUnderway())
                ReturnToLogonPage();
            return 0;
        case WM_LOGON_RESULT:
            OnLogonResult(reinterpret_cast<const wchar_t*>(wParam),
                          reinterpret_cast<const wchar_t*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == TIMER_AUTO_LOGON) {
                // Auto-logon with a saved password: the wait is over, log in.
                ::KillTimer(m_hWnd, TIMER_AUTO_LOGON);
                LaunchLobby();
            }
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (m_Manager.ProcessMessage(msg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CPlazaUpdateWnd::OnFinalMessage(HWND) {
    m_pUiQueue->Detach();
    delete this;
}
