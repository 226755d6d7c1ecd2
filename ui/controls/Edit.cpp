// The edit control draws its text itself and opens a native EDIT window over
// its rectangle only while it has the focus, so typing, the caret, selection
// and input methods are the system's. The native window closes itself when
// it loses the keyboard focus.
#include "ui/controls/Edit.h"

#include <olectl.h>

#include <cstdlib>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/GdiHandles.h"
#include "ui/core/Geometry.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

class CEditWnd : public CNativeEditWnd {
public:
    explicit CEditWnd(CEditUI* owner) : CNativeEditWnd(owner) {}

    bool Open() override {
        DWORD style = WS_CHILD | ES_AUTOHSCROLL;
        if (Edit()->IsPasswordMode())
            style |= ES_PASSWORD;
        if (Edit()->IsReadOnly())
            style |= ES_READONLY;
        const UINT align = Edit()->GetTextStyle();
        if ((align & DT_CENTER) != 0)
            style |= ES_CENTER;
        if ((align & DT_RIGHT) != 0)
            style |= ES_RIGHT;
        if (!CreateOver(style, EditRect()))
            return false;
        ApplyFont();
        SendMessage(EM_LIMITTEXT, Edit()->GetMaxChar(), 0);
        if (Edit()->IsPasswordMode()) {
            SendMessage(EM_SETPASSWORDCHAR, static_cast<unsigned char>(Edit()->GetPasswordChar()),
                        0);
        }
        SetOwnerText(Edit()->GetText());
        SendMessage(EM_SETSEL, 0x7FFF, 0x7FFF);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        ::SetFocus(m_hWnd);
        return true;
    }

    // The text area: the control less its text padding, and one line high
    // in the middle, as the control draws its own text.
    RECT EditRect() const {
        RECT rc = Deflated(Edit()->GetPos(), Edit()->GetTextPadding());
        const LONG lineHeight =
            Edit()->GetManager()->GetFontMetrics(Edit()->GetFont()).tmHeight + 2;
        if (rc.bottom - rc.top > lineHeight) {
            rc.top += (rc.bottom - rc.top - lineHeight) / 2;
            rc.bottom = rc.top + lineHeight;
        }
        return rc;
    }

    void Place() override {
        if (MoveTo(EditRect()))
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
            case WM_CHAR:
                // The single-line box would beep at Enter.
                if (wParam == VK_RETURN)
                    return 0;
                break;
            case OCM_CTLCOLOREDIT:
            case OCM_CTLCOLORSTATIC:
                return OnColor(reinterpret_cast<HDC>(wParam));
            default:
                break;
        }
        return CNativeEditWnd::HandleMessage(msg, wParam, lParam);
    }

private:
    CEditUI* Edit() const { return static_cast<CEditUI*>(m_pOwner); }

    LRESULT OnColor(HDC dc) {
        if (!m_pOwner)
            return 0;
        const COLORREF back = Edit()->NativeBkColor();
        ::SetTextColor(dc, Edit()->NativeTextColor());
        ::SetBkColor(dc, back);
        m_brush.reset(::CreateSolidBrush(back));
        return reinterpret_cast<LRESULT>(m_brush.get());
    }

    UniqueBrush m_brush;
};

CEditUI::CEditUI() {
    m_rcTextPadding = RECT{4, 3, 4, 3};
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER;
}

UINT CEditUI::GetControlFlags() const {
    return IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0u;
}

void CEditUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CEditUI> kAttributes[] = {
        {"password", [](CEditUI& c, const char* v) { c.SetPasswordMode(ParseBool(v)); }},
        {"maxchar",
         [](CEditUI& c, const char* v) { c.SetMaxChar(static_cast<UINT>(std::atoi(v))); }},
        {"passwordchar", [](CEditUI& c, const char* v) { c.m_cPasswordChar = v[0] ? v[0] : '*'; }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value))
        return;
    if (m_images.SetAttribute(name, value))
        Invalidate();
    else
        CNativeEditUI::SetAttribute(name, value);
}

void CEditUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        m_pointer.Clear();
        CloseNativeWindow();
    }
}

void CEditUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible())
        CloseNativeWindow();
}

void CEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_pWindow)
        m_pWindow->Place();
}

void CEditUI::SetMaxChar(UINT max) {
    m_uMaxChar = max;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_LIMITTEXT, m_uMaxChar, 0);
}

void CEditUI::SetPasswordMode(bool password) {
    m_bPasswordMode = password;
    Invalidate();
}

CNativeEditWnd* CEditUI::NewNativeWindow() {
    return new CEditWnd(this);
}

void CEditUI::OpenNativeEdit(bool selectAll) {
    if (!IsVisible() || !IsEnabled())
        return;
    if (m_pWindow)
        FocusNativeWindow();
    else if (!OpenNativeWindow())
        return;
    if (selectAll)
        ::SendMessageA(m_pWindow->GetHWND(), EM_SETSEL, 0, -1);
    Invalidate();
}

void CEditUI::OnNativeWindowClosed() {
    CNativeEditUI::OnNativeWindowClosed();
    Invalidate();
}

void CEditUI::DoEvent(TEventUI& event) {
    if (m_pointer.TrackHover(*this, event))
        return;
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
            CNativeEditUI::DoEvent(event);
            OpenNativeEdit(false);
            return;
        case UIEVENT_KILLFOCUS:
            CNativeEditUI::DoEvent(event);
            CloseNativeWindow();
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
        default:
            CNativeEditUI::DoEvent(event);
    }
}

void CEditUI::PaintStatusImage(HDC hDC) {
    // While typing, the box looks focused whether or not it is hovered.
    const UINT look = IsFocused() ? static_cast<UINT>(UISTATE_FOCUSED) : m_pointer.Flags();
    m_images.Draw(hDC, m_pManager, m_rcItem, m_rcPaint, IsEnabled() ? look : UISTATE_DISABLED);
}

void CEditUI::PaintText(HDC hDC) {
    // The native window draws the text while it is open.
    if (m_pWindow)
        return;
    if (!m_bPasswordMode) {
        DrawLabelText(hDC, m_sText, m_dwTextColor);
        return;
    }
    // One mask character a character, as the native box shows it: a
    // double-byte character of the code page is one.
    size_t characters = 0;
    for (const char* p = m_sText.c_str(); *p != '\0'; p = ::CharNextA(p))
        ++characters;
    DrawLabelText(hDC, std::string(characters, m_cPasswordChar), m_dwTextColor);
}

}  // namespace SkinUI
