#include "ui/controls/NativeEdit.h"

#include <olectl.h>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

void CNativeEditWnd::SetOwnerText(const std::string& text) {
    m_bSettingText = true;
    ::SetWindowTextA(m_hWnd, text.c_str());
    m_bSettingText = false;
}

bool CNativeEditWnd::CreateOver(DWORD style, RECT rc) {
    return Create(m_pOwner->GetManager()->GetPaintWindow(), nullptr, style, 0, rc.left, rc.top,
                  rc.right - rc.left, rc.bottom - rc.top) != nullptr;
}

void CNativeEditWnd::ApplyFont() {
    CWindowManagerUI* manager = m_pOwner->GetManager();
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(m_pOwner->GetFont())), FALSE);
}

bool CNativeEditWnd::MoveTo(RECT rc) {
    RECT current;
    ::GetWindowRect(m_hWnd, &current);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&current), 2);
    if (::EqualRect(&rc, &current))
        return false;
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

LRESULT CNativeEditWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && m_pOwner && m_pOwner->NotifiesReturn() &&
                m_pOwner->GetManager()) {
                m_pOwner->GetManager()->SendNotify(m_pOwner, "return");
                return 0;
            }
            break;
        case OCM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE && !m_bSettingText)
                OnTextChanged();
            return 0;
        default:
            break;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CNativeEditWnd::OnFinalMessage(HWND) {
    if (m_pOwner)
        m_pOwner->OnNativeWindowClosed();
    delete this;
}

void CNativeEditWnd::OnTextChanged() {
    if (!m_pOwner)
        return;
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    // A rich edit may copy fewer characters than it counted.
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    m_pOwner->m_sText = text;
    if (m_pOwner->GetManager())
        m_pOwner->GetManager()->SendNotify(m_pOwner, "textchanged");
}

CNativeEditUI::~CNativeEditUI() {
    DiscardNativeWindow();
}

void CNativeEditUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CNativeEditUI> kAttributes[] = {
        {"readonly", [](CNativeEditUI& c, const char* v) { c.SetReadOnly(ParseBool(v)); }},
        {"nativebkcolor",
         [](CNativeEditUI& c, const char* v) {
             c.m_dwEditBkColor = ParseColor(v);
             if (c.m_pWindow)
                 c.m_pWindow->ApplyLook();
         }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CLabelUI::SetAttribute(name, value);
}

void CNativeEditUI::SetText(const char* text) {
    const std::string value = text ? text : "";
    if (value == m_sText)
        return;
    m_sText = value;
    if (m_pWindow)
        m_pWindow->SetOwnerText(m_sText);
    Invalidate();
}

void CNativeEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

HWND CNativeEditUI::GetNativeWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CNativeEditUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
        return;
    }
    CLabelUI::DoEvent(event);
}

bool CNativeEditUI::OpenNativeWindow() {
    if (m_pWindow)
        return true;
    if (!m_pManager || !m_pManager->GetPaintWindow())
        return false;
    m_pWindow = NewNativeWindow();
    if (!m_pWindow->Open()) {
        delete m_pWindow;
        m_pWindow = nullptr;
        return false;
    }
    return true;
}

void CNativeEditUI::CloseNativeWindow() {
    if (m_pWindow)
        ::DestroyWindow(m_pWindow->GetHWND());
}

void CNativeEditUI::DiscardNativeWindow() {
    if (!m_pWindow)
        return;
    CNativeEditWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->Detach();
    ::DestroyWindow(window->GetHWND());
}

void CNativeEditUI::FocusNativeWindow() {
    if (m_pWindow && ::GetFocus() != m_pWindow->GetHWND())
        ::SetFocus(m_pWindow->GetHWND());
}

COLORREF CNativeEditUI::NativeTextColor() const {
    DWORD text = IsEnabled() ? GetTextColor() : m_dwDisabledTextColor;
    if (text == 0) {
        text =
            IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    }
    return ToColorRef(text);
}

COLORREF CNativeEditUI::NativeBkColor() const {
    return ToColorRef(m_dwEditBkColor);
}

}  // namespace SkinUI
