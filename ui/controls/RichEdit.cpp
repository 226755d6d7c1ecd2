#include "ui/controls/RichEdit.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Geometry.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

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

class CRichEditWnd : public CNativeEditWnd {
public:
    explicit CRichEditWnd(CRichEditUI* owner) : CNativeEditWnd(owner) {}

    bool Open() override {
        if (!RichEditClass())
            return false;
        const CRichEditUI& o = *Rich();
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
        if (o.IsReadOnly())
            style |= ES_READONLY;
        if (!CreateOver(style, TextRect()))
            return false;
        // The text mode can only change while the box is empty.
        if (!o.m_bRich)
            SendMessage(EM_SETTEXTMODE, TM_PLAINTEXT, 0);
        ApplyFont();
        ApplyLook();
        SendMessage(EM_EXLIMITTEXT, 0, o.m_uMaxChar);
        SetOwnerText(o.GetText());
        SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
        return true;
    }

    RECT TextRect() const { return Deflated(m_pOwner->GetPos(), m_pOwner->GetTextPadding()); }

    void ApplyLook() override {
        SendMessage(EM_SETBKGNDCOLOR, 0, m_pOwner->NativeBkColor());
        CHARFORMAT2A format = {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.crTextColor = m_pOwner->NativeTextColor();
        SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }

    void Place() override { MoveTo(TextRect()); }

protected:
    const char* GetWindowClassName() const override { return "SkinUIRichEdit"; }
    const char* GetSuperClassName() const override { return RichEditClass(); }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_SETFOCUS) {
            const LRESULT result = CNativeEditWnd::HandleMessage(msg, wParam, lParam);
            // Clicked straight into: the manager's focus follows.
            CWindowManagerUI* manager = m_pOwner ? m_pOwner->GetManager() : nullptr;
            if (manager && manager->GetFocus() != m_pOwner)
                manager->SetFocus(m_pOwner);
            return result;
        }
        return CNativeEditWnd::HandleMessage(msg, wParam, lParam);
    }

private:
    CRichEditUI* Rich() const { return static_cast<CRichEditUI*>(m_pOwner); }
};

CRichEditUI::CRichEditUI() {
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding = RECT{2, 2, 2, 2};
}

UINT CRichEditUI::GetControlFlags() const {
    if (!IsEnabled())
        return 0;
    return UIFLAG_TABSTOP | (m_bWantTab ? static_cast<UINT>(UIFLAG_WANTTAB) : 0u);
}

void CRichEditUI::SetAttribute(const char* name, const char* value) {
    // The window takes its styles and font when it is made: changing them
    // makes it again.
    static const AttributeSetter<CRichEditUI> kAttributes[] = {
        {"multiline", [](CRichEditUI& c, const char* v) { c.SetMultiLine(ParseBool(v)); }},
        {"wanttab", [](CRichEditUI& c, const char* v) { c.SetWantTab(ParseBool(v)); }},
        {"maxchar",
         [](CRichEditUI& c, const char* v) { c.SetMaxChar(static_cast<UINT>(std::atoi(v))); }},
        {"rich", [](CRichEditUI& c, const char* v) { c.Remake(c.m_bRich, ParseBool(v)); }},
        {"vscrollbar", [](CRichEditUI& c, const char* v) { c.Remake(c.m_bVScroll, ParseBool(v)); }},
        {"hscrollbar", [](CRichEditUI& c, const char* v) { c.Remake(c.m_bHScroll, ParseBool(v)); }},
        {"textcolor",
         [](CRichEditUI& c, const char* v) {
             c.CNativeEditUI::SetAttribute("textcolor", v);
             c.RecreateWindow();
         }},
        {"font",
         [](CRichEditUI& c, const char* v) {
             c.CNativeEditUI::SetAttribute("font", v);
             c.RecreateWindow();
         }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CNativeEditUI::SetAttribute(name, value);
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
        if (!IsVisible() || ::IsRectEmpty(&m_rcItem) || !OpenNativeWindow())
            return;
        ::EnableWindow(m_pWindow->GetHWND(), IsEnabled());
    }
    m_pWindow->Place();
    ::ShowWindow(m_pWindow->GetHWND(), IsVisible() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CRichEditUI::Remake(bool& style, bool value) {
    style = value;
    RecreateWindow();
}

// Styles fixed at creation take a new window.
void CRichEditUI::RecreateWindow() {
    if (!m_pWindow)
        return;
    DiscardNativeWindow();
    SyncWindow();
}

CNativeEditWnd* CRichEditUI::NewNativeWindow() {
    return new CRichEditWnd(this);
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
    CNativeEditUI::DoEvent(event);
    if (event.Type == UIEVENT_SETFOCUS)
        FocusNativeWindow();
}

void CRichEditUI::PaintText(HDC hDC) {
    // The native window shows the text once it exists.
    if (!m_pWindow)
        CLabelUI::PaintText(hDC);
}

}  // namespace SkinUI
