// The edit control draws its text itself and opens a native EDIT window over
// its rectangle only while it has the focus, so typing, the caret, selection
// and input methods are the system's. The native window closes itself when
// it loses the keyboard focus.
#include "ui/Edit.h"

#include <olectl.h>

#include <cstring>

#include "ui/Geometry.h"
#include "ui/Button.h"
#include "ui/Handles.h"
#include "ui/Render.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"

namespace SkinUI {

class CEditWnd : public CWindowWnd {
public:
    explicit CEditWnd(CEditUI* owner) : m_pOwner(owner) {}

    bool Open() {
        CWindowManagerUI* manager = m_pOwner->GetManager();
        const RECT rc = EditRect();
        DWORD style = WS_CHILD | ES_AUTOHSCROLL;
        if (m_pOwner->IsPasswordMode())
            style |= ES_PASSWORD;
        if (m_pOwner->IsReadOnly())
            style |= ES_READONLY;
        const UINT align = m_pOwner->GetTextStyle();
        if ((align & DT_CENTER) != 0)
            style |= ES_CENTER;
        if ((align & DT_RIGHT) != 0)
            style |= ES_RIGHT;
        if (!Create(manager->GetPaintWindow(), nullptr, style, 0, rc.left, rc.top,
                    rc.right - rc.left, rc.bottom - rc.top)) {
            return false;
        }
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(m_pOwner->GetFont())),
                    FALSE);
        SendMessage(EM_LIMITTEXT, m_pOwner->GetMaxChar(), 0);
        if (m_pOwner->IsPasswordMode()) {
            SendMessage(EM_SETPASSWORDCHAR, static_cast<unsigned char>(m_pOwner->GetPasswordChar()),
                        0);
        }
        m_bSettingText = true;
        ::SetWindowTextA(m_hWnd, m_pOwner->GetText().c_str());
        m_bSettingText = false;
        SendMessage(EM_SETSEL, 0x7FFF, 0x7FFF);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        ::SetFocus(m_hWnd);
        return true;
    }

    // The text area: the control less its text padding, and one line high
    // in the middle, as the control draws its own text.
    RECT EditRect() const {
        RECT rc = Deflated(m_pOwner->GetPos(), m_pOwner->GetTextPadding());
        const LONG lineHeight =
            m_pOwner->GetManager()->GetFontMetrics(m_pOwner->GetFont()).tmHeight + 2;
        if (rc.bottom - rc.top > lineHeight) {
            rc.top += (rc.bottom - rc.top - lineHeight) / 2;
            rc.bottom = rc.top + lineHeight;
        }
        return rc;
    }

    void Reposition() {
        const RECT rc = EditRect();
        RECT current;
        ::GetWindowRect(m_hWnd, &current);
        ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&current), 2);
        if (::EqualRect(&rc, &current))
            return;
        ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ScrollTextIntoView();
    }

    // A box opened before the first layout had no width, so the system
    // scrolled its text until only the caret's character was left of it, and
    // a wider box keeps that offset. Scroll back to the start, then only as
    // far as the caret needs.
    void ScrollTextIntoView() {
        DWORD start = 0;
        DWORD end = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        SendMessage(EM_SETSEL, 0, 0);
        SendMessage(EM_SCROLLCARET, 0, 0);
        SendMessage(EM_SETSEL, start, end);
        SendMessage(EM_SCROLLCARET, 0, 0);
    }

    void SetOwnerText(const std::string& text) {
        m_bSettingText = true;
        ::SetWindowTextA(m_hWnd, text.c_str());
        m_bSettingText = false;
    }

    void Detach() { m_pOwner = nullptr; }

protected:
    const char* GetWindowClassName() const override { return "SkinUIEditWnd"; }
    const char* GetSuperClassName() const override { return "EDIT"; }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_KILLFOCUS:
                // Typing is over; close after this message has run its course.
                PostMessage(WM_CLOSE);
                break;
            case WM_CLOSE:
                ::DestroyWindow(m_hWnd);
                return 0;
            case WM_KEYDOWN:
                if (wParam == VK_RETURN && m_pOwner && m_pOwner->GetManager()) {
                    m_pOwner->GetManager()->SendNotify(m_pOwner, "return");
                    return 0;
                }
                break;
            case WM_CHAR:
                // The single-line box would beep at Enter.
                if (wParam == VK_RETURN)
                    return 0;
                break;
            case OCM_COMMAND:
                if (HIWORD(wParam) == EN_CHANGE && !m_bSettingText)
                    OnTextChanged();
                return 0;
            case OCM_CTLCOLOREDIT:
            case OCM_CTLCOLORSTATIC:
                return OnColor(reinterpret_cast<HDC>(wParam));
            default:
                break;
        }
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }

    void OnFinalMessage(HWND) override {
        if (m_pOwner)
            m_pOwner->OnNativeEditClosed();
        delete this;
    }

private:
    void OnTextChanged() {
        if (!m_pOwner)
            return;
        const int length = ::GetWindowTextLengthA(m_hWnd);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        ::GetWindowTextA(m_hWnd, &text[0], length + 1);
        text.resize(static_cast<size_t>(length));
        m_pOwner->m_sText = text;
        if (m_pOwner->GetManager())
            m_pOwner->GetManager()->SendNotify(m_pOwner, "textchanged");
    }

    LRESULT OnColor(HDC dc) {
        if (!m_pOwner)
            return 0;
        const DWORD bk = m_pOwner->m_dwEditBkColor;
        DWORD text = m_pOwner->GetTextColor();
        if (text == 0)
            text = m_pOwner->GetManager()->GetDefaultFontColor();
        ::SetTextColor(dc, RGB((text >> 16) & 0xFF, (text >> 8) & 0xFF, text & 0xFF));
        const COLORREF back = RGB((bk >> 16) & 0xFF, (bk >> 8) & 0xFF, bk & 0xFF);
        ::SetBkColor(dc, back);
        m_brush.reset(::CreateSolidBrush(back));
        return reinterpret_cast<LRESULT>(m_brush.get());
    }

    CEditUI* m_pOwner;
    bool m_bSettingText = false;
    UniqueBrush m_brush;
};

CEditUI::CEditUI() {
    m_rcTextPadding = RECT{4, 3, 4, 3};
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER;
}

CEditUI::~CEditUI() {
    if (m_pWindow) {
        CEditWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->Detach();
        ::DestroyWindow(window->GetHWND());
    }
}

const char* CEditUI::GetClass() const {
    return "EditUI";
}

void* CEditUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Edit") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const {
    return IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0u;
}

HWND CEditUI::GetNativeWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CEditUI::SetText(const char* text) {
    const std::string value = text ? text : "";
    if (value == m_sText)
        return;
    m_sText = value;
    if (m_pWindow)
        m_pWindow->SetOwnerText(m_sText);
    Invalidate();
}

void CEditUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        m_uButtonState = 0;
        if (m_pWindow)
            ::DestroyWindow(m_pWindow->GetHWND());
    }
}

void CEditUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible() && m_pWindow)
        ::DestroyWindow(m_pWindow->GetHWND());
}

void CEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_pWindow)
        m_pWindow->Reposition();
}

void CEditUI::SetMaxChar(UINT max) {
    m_uMaxChar = max;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_LIMITTEXT, m_uMaxChar, 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password) {
    m_bPasswordMode = password;
    Invalidate();
}

void CEditUI::OpenNativeEdit(bool selectAll) {
    if (!m_pManager || !m_pManager->GetPaintWindow() || !IsVisible() || !IsEnabled())
        return;
    if (!m_pWindow) {
        m_pWindow = new CEditWnd(this);
        if (!m_pWindow->Open()) {
            delete m_pWindow;
            m_pWindow = nullptr;
            return;
        }
    } else if (::GetFocus() != m_pWindow->GetHWND()) {
        ::SetFocus(m_pWindow->GetHWND());
    }
    if (selectAll)
        ::SendMessageA(m_pWindow->GetHWND(), EM_SETSEL, 0, -1);
    Invalidate();
}

void CEditUI::OnNativeEditClosed() {
    m_pWindow = nullptr;
    Invalidate();
}

void CEditUI::DoEvent(TEventUI& event) {
    if (TrackHotState(*this, event, m_uButtonState))
        return;
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
            CLabelUI::DoEvent(event);
            OpenNativeEdit(false);
            return;
        case UIEVENT_KILLFOCUS:
            CLabelUI::DoEvent(event);
            if (m_pWindow)
                ::DestroyWindow(m_pWindow->GetHWND());
            return;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                if (!IsFocused())
                    SetFocus();
                OpenNativeEdit(true);
            }
            return;
        case UIEVENT_BUTTONUP:
        case UIEVENT_MOUSEMOVE:
            return;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
            return;
        default:
            CLabelUI::DoEvent(event);
    }
}

void CEditUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "password") == 0) {
        SetPasswordMode(ParseBool(value));
    } else if (std::strcmp(name, "readonly") == 0) {
        SetReadOnly(ParseBool(value));
    } else if (std::strcmp(name, "maxchar") == 0) {
        SetMaxChar(static_cast<UINT>(std::atoi(value)));
    } else if (std::strcmp(name, "passwordchar") == 0) {
        m_cPasswordChar = value[0] ? value[0] : '*';
    } else if (m_images.SetAttribute(name, value)) {
        Invalidate();
    } else if (std::strcmp(name, "nativebkcolor") == 0) {
        m_dwEditBkColor = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::PaintStatusImage(HDC hDC) {
    // While typing, the box looks focused whether or not it is hovered.
    m_images.Draw(*this, hDC, IsFocused() ? UISTATE_FOCUSED : m_uButtonState);
}

void CEditUI::PaintText(HDC hDC) {
    // The native window draws the text while it is open.
    if (m_pWindow)
        return;
    if (m_bPasswordMode) {
        DrawLabelText(hDC, std::string(m_sText.size(), m_cPasswordChar), m_dwTextColor);
    } else {
        DrawLabelText(hDC, m_sText, m_dwTextColor);
    }
}

}  // namespace SkinUI
