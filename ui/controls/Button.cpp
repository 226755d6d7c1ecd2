#include "ui/controls/Button.h"

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

UINT CButtonUI::GetControlFlags() const {
    return (IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u) | UIFLAG_SETCURSOR;
}

void CButtonUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CButtonUI> kAttributes[] = {
        {"hottextcolor", [](CButtonUI& c, const char* v) { c.m_dwHotTextColor = ParseColor(v); }},
        {"pushedtextcolor",
         [](CButtonUI& c, const char* v) { c.m_dwPushedTextColor = ParseColor(v); }},
        {"hotbkcolor", [](CButtonUI& c, const char* v) { c.m_dwHotBkColor = ParseColor(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value) || m_images.SetAttribute(name, value)) {
        Invalidate();
        return;
    }
    CLabelUI::SetAttribute(name, value);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, "click");
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_pointer.Clear();
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (m_pointer.TrackClickable(*this, event))
        return;
    switch (event.Type) {
        case UIEVENT_KEYDOWN:
            if (IsEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
                Activate();
                return;
            }
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled() && ::PtInRect(&m_rcItem, event.ptMouse))
                m_pointer.Press(*this);
            return;
        case UIEVENT_MOUSEMOVE:
            m_pointer.Drag(*this, event.ptMouse);
            return;
        case UIEVENT_BUTTONUP:
            // Activation may remove this very button; nothing after it.
            if (m_pointer.Release(*this) && ::PtInRect(&m_rcItem, event.ptMouse))
                Activate();
            return;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::PaintText(HDC hDC) {
    DWORD color = m_dwTextColor;
    if (m_pointer.IsPushed() && m_dwPushedTextColor != 0) {
        color = m_dwPushedTextColor;
    } else if (m_pointer.IsHot() && m_dwHotTextColor != 0) {
        color = m_dwHotTextColor;
    }
    DrawLabelText(hDC, m_sText, color);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    if (IsEnabled() && m_pointer.IsHot() && m_dwHotBkColor != 0)
        Render::DrawColor(hDC, m_rcItem, m_dwHotBkColor);
    m_images.Draw(hDC, m_pManager, m_rcItem, m_rcPaint, m_pointer.Look(*this));
}

}  // namespace SkinUI
