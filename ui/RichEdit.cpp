#include "ui/RichEdit.h"

#include <olectl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "ui/AttributeList.h"
#include "ui/Geometry.h"
#include "ui/WindowManager.h"
#include "ui/WindowWnd.h"

namespace SkinUI {

namespace {

COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// The rich-edit class to build on, its library loaded once for the process
// (its windows need it for as long as any exists). Riched20's ANSI class
// comes first: the program's text is narrow, and it is on every Windows;
// Msftedit's wide class is the fallback.
const char* RichEditClass() {
    static const char* const name = [] {
        if (::LoadLibraryA("Riched20.dll"))
            return "RichEdit20A";
        if (::LoadLibraryA("Msftedit.dll"))
            return "RICHEDIT50W";
        return static_cast<const char*>(nullptr);
    }();
    return name;
}

}  // namespace

class CRichEditWnd : public CWindowWnd {
public:
    explicit CRichEditWnd(CRichEditUI* owner) : m_pOwner(owner) {}

    bool Open() {
        if (!RichEditClass())
            return false;
        const CRichEditUI& o = *m_pOwner;
        DWORD style = WS_CHILD;
        if (o.m_bMultiLine) {
            style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
            if (o.m_bVScroll)
                style |= WS_VSCROLL;
            if (o.m_bHScroll)
                style |= WS_HSCROLL | ES_AUTOHSCROLL;
        } else {
            style |= ES_AUTOHSCROLL;
        }
        if (o.m_bReadOnly)
            style |= ES_READONLY;
        const RECT rc = TextRect();
        if (!Create(o.GetManager()->GetPaintWindow(), nullptr, style, 0, rc.left, rc.top,
                    rc.right - rc.left, rc.bottom - rc.top)) {
            return false;
        }
        // The text mode can only change while the box is empty.
        if (!o.m_bRich)
            SendMessage(EM_SETTEXTMODE, TM_PLAINTEXT, 0);
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(o.GetManager()->GetFont(o.GetFont())),
                    FALSE);
        ApplyLook();
        SendMessage(EM_EXLIMITTEXT, 0, o.m_uMaxChar);
        SetOwnerText(o.GetText());
        SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
        return true;
    }

    RECT TextRect() const { return Deflated(m_pOwner->GetPos(), m_pOwner->GetTextPadding()); }

    void ApplyLook() {
        const CRichEditUI& o = *m_pOwner;
        SendMessage(EM_SETBKGNDCOLOR, 0, ToColorRef(o.m_dwEditBkColor));
        DWORD text = o.IsEnabled() ? o.GetTextColor() : o.m_dwDisabledTextColor;
        if (text == 0) {
            text = o.IsEnabled() ? o.GetManager()->GetDefaultFontColor()
                                 : o.GetManager()->GetDefaultDisabledColor();
        }
        CHARFORMAT2A format = {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.crTextColor = ToColorRef(text);
        SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }

    void Place() {
        const RECT rc = TextRect();
        ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void SetOwnerText(const std::string& text) {
        m_bSettingText = true;
        ::SetWindowTextA(m_hWnd, text.c_str());
        m_bSettingText = false;
    }

    void Detach() { m_pOwner = nullptr; }

protected:
    const char* GetWindowClassName() const override { return "SkinUIRichEdit"; }
    const char* GetSuperClassName() const override { return RichEditClass(); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_SETFOCUS: {
                const LRESULT result = CWindowWnd::HandleMessage(msg, wParam, lParam);
                // Clicked straight into: the manager's focus follows.
                CWindowManagerUI* manager = m_pOwner ? m_pOwner->GetManager() : nullptr;
                if (manager && manager->GetFocus() != m_pOwner)
                    manager->SetFocus(m_pOwner);
                return result;
            }
            case WM_KEYDOWN:
                if (wParam == VK_RETURN && m_pOwner && !m_pOwner->m_bMultiLine &&
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

    void OnFinalMessage(HWND) override {
        if (m_pOwner)
            m_pOwner->m_pWindow = nullptr;
        delete this;
    }

private:
    void OnTextChanged() {
        if (!m_pOwner)
            return;
        const int length = ::GetWindowTextLengthA(m_hWnd);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        m_pOwner->m_sText = text;
        if (m_pOwner->GetManager())
            m_pOwner->GetManager()->SendNotify(m_pOwner, "textchanged");
    }

    CRichEditUI* m_pOwner;
    bool m_bSettingText = false;
};

CRichEditUI::CRichEditUI() {
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = RECT{2, 2, 2, 2};
}

CRichEditUI::~CRichEditUI() {
    if (m_pWindow) {
        CRichEditWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->Detach();
        ::DestroyWindow(window->GetHWND());
    }
}

const char* CRichEditUI::GetClass() const {
    return "RichEditUI";
}

void* CRichEditUI::GetInterface(const char* name) {
    if (std::strcmp(name, "RichEdit") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const {
    if (!IsEnabled())
        return 0;
    return UIFLAG_TABSTOP | (m_bWantTab ? static_cast<UINT>(UIFLAG_WANTTAB) : 0u);
}

HWND CRichEditUI::GetNativeWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CRichEditUI::SetText(const char* text) {
    const std::string value = text ? text : "";
    if (value == m_sText)
        return;
    m_sText = value;
    if (m_pWindow)
        m_pWindow->SetOwnerText(m_sText);
    Invalidate();
}

void CRichEditUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (m_pWindow) {
        ::EnableWindow(m_pWindow->GetHWND(), IsEnabled());
        m_pWindow->ApplyLook();
    }
}

void CRichEditUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    SyncWindow();
}

void CRichEditUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    SyncWindow();
}

void CRichEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    SyncWindow();
}

void CRichEditUI::SyncWindow() {
    if (!m_pWindow) {
        // Made at the first layout in a window, when its place is known.
        if (!IsVisible() || !m_pManager || !m_pManager->GetPaintWindow() ||
            ::IsRectEmpty(&m_rcItem)) {
            return;
        }
        m_pWindow = new CRichEditWnd(this);
        if (!m_pWindow->Open()) {
            delete m_pWindow;
            m_pWindow = nullptr;
            return;
        }
        ::EnableWindow(m_pWindow->GetHWND(), IsEnabled());
    }
    m_pWindow->Place();
    ::ShowWindow(m_pWindow->GetHWND(), IsVisible() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

// Styles fixed at creation take a new window.
void CRichEditUI::RecreateWindow() {
    if (!m_pWindow)
        return;
    CRichEditWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->Detach();
    ::DestroyWindow(window->GetHWND());
    SyncWindow();
}

void CRichEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_SETREADONLY, readOnly, 0);
}

void CRichEditUI::SetMultiLine(bool multiLine) {
    if (m_bMultiLine == multiLine)
        return;
    m_bMultiLine = multiLine;
    m_uTextStyle = multiLine ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    RecreateWindow();
}

void CRichEditUI::SetMaxChar(UINT max) {
    m_uMaxChar = max;
    if (m_pWindow)
        ::SendMessageA(m_pWindow->GetHWND(), EM_EXLIMITTEXT, 0, max);
}

void CRichEditUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
            CLabelUI::DoEvent(event);
            if (m_pWindow && ::GetFocus() != m_pWindow->GetHWND())
                ::SetFocus(m_pWindow->GetHWND());
            return;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
            return;
        default:
            CLabelUI::DoEvent(event);
    }
}

void CRichEditUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "readonly") == 0) {
        SetReadOnly(ParseBool(value));
    } else if (std::strcmp(name, "multiline") == 0) {
        SetMultiLine(ParseBool(value));
    } else if (std::strcmp(name, "wanttab") == 0) {
        SetWantTab(ParseBool(value));
    } else if (std::strcmp(name, "maxchar") == 0) {
        SetMaxChar(static_cast<UINT>(std::atoi(value)));
    } else if (std::strcmp(name, "rich") == 0) {
        m_bRich = ParseBool(value);
        RecreateWindow();
    } else if (std::strcmp(name, "vscrollbar") == 0) {
        m_bVScroll = ParseBool(value);
        RecreateWindow();
    } else if (std::strcmp(name, "hscrollbar") == 0) {
        m_bHScroll = ParseBool(value);
        RecreateWindow();
    } else if (std::strcmp(name, "nativebkcolor") == 0) {
        m_dwEditBkColor = ParseColor(value);
        if (m_pWindow)
            m_pWindow->ApplyLook();
    } else {
        CLabelUI::SetAttribute(name, value);
        if (m_pWindow && (std::strcmp(name, "textcolor") == 0 || std::strcmp(name, "font") == 0))
            RecreateWindow();
    }
}

void CRichEditUI::PaintText(HDC hDC) {
    // The native window shows the text once it exists.
    if (!m_pWindow)
        CLabelUI::PaintText(hDC);
}

}  // namespace SkinUI
