#include "tests/ui/support/TestWindow.h"

namespace uitest {

TestWindow::TestWindow(std::string markup, SkinUI::IDialogBuilderCallback* callback)
    : m_markup(std::move(markup)), m_callback(callback) {
    if (!SkinUI::CWindowManagerUI::GetInstance()) {
        SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleA(nullptr));
    }
}

TestWindow::~TestWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    Pump();
}

bool TestWindow::Open(int width, int height) {
    if (!Create(nullptr, "SkinUI test", WS_POPUP, WS_EX_TOOLWINDOW, 40, 40, width, height)) {
        return false;
    }
    // Never activated: under Wine an activated window takes seconds to go.
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    Paint();
    Pump();
    return true;
}

LRESULT TestWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        m_pm.AttachWindow(m_hWnd);
        SkinUI::CDialogBuilder builder;
        m_pm.AttachRoot(builder.BuildFromMarkup(m_markup.c_str(), nullptr, m_callback, &m_pm));
        m_pm.AddNotifier(this);
        return 0;
    }
    LRESULT result = 0;
    if (m_pm.ProcessMessage(msg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void TestWindow::Notify(SkinUI::TNotifyMsg& msg) {
    heard.push_back(Heard{msg.sType, msg.pSender ? msg.pSender->GetName() : std::string(),
                          msg.pSender, msg.wParam, msg.lParam});
    if (onNotify)
        onNotify(msg);
}

std::vector<std::string> TestWindow::TypesFrom(const std::string& sender) const {
    std::vector<std::string> types;
    for (const Heard& h : heard) {
        if (h.sender == sender && h.type != "setfocus" && h.type != "killfocus" &&
            h.type != "windowinit") {
            types.push_back(h.type);
        }
    }
    return types;
}

std::vector<Heard> TestWindow::HeardOfType(const std::string& type,
                                           const SkinUI::CControlUI* control) const {
    std::vector<Heard> found;
    for (const Heard& h : heard) {
        if (h.type == type && (!control || h.control == control))
            found.push_back(h);
    }
    return found;
}

void TestWindow::Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!SkinUI::CWindowManagerUI::TranslateUIMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void TestWindow::Paint() {
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
}

void TestWindow::Click(HWND hwnd, POINT pt) {
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

void TestWindow::MoveTo(HWND hwnd, POINT pt) {
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
}

POINT TestWindow::CenterOf(const SkinUI::CControlUI* control) {
    const RECT rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

}  // namespace uitest
