#include "ui/controls/Button.h"

#include <cstring>

#include "ui/core/AttributeList.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

const char* CButtonUI::GetClass() const {
    return "ButtonUI";
}

void* CButtonUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Button") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const {
    return (IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u) | UIFLAG_SETCURSOR;
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
        m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (TrackHotState(*this, event, m_uButtonState))
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
            if (IsEnabled() && ::PtInRect(&m_rcItem, event.ptMouse)) {
                m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
                if (::PtInRect(&m_rcItem, event.ptMouse)) {
                    m_uButtonState |= UISTATE_PUSHED;
                } else {
                    m_uButtonState &= ~UISTATE_PUSHED;
                }
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
            if ((m_uButtonState & UISTATE_CAPTURED) != 0) {
                m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
                Invalidate();
                // Activation may remove this very button; nothing after it.
                if (::PtInRect(&m_rcItem, event.ptMouse))
                    Activate();
            }
            return;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(const char* name, const char* value) {
    if (m_images.SetAttribute(name, value)) {
        Invalidate();
        return;
    }
    if (std::strcmp(name, "hottextcolor") == 0) {
        m_dwHotTextColor = ParseColor(value);
    } else if (std::strcmp(name, "pushedtextcolor") == 0) {
        m_dwPushedTextColor = ParseColor(value);
    } else if (std::strcmp(name, "hotbkcolor") == 0) {
        m_dwHotBkColor = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CButtonUI::PaintText(HDC hDC) {
    DWORD color = m_dwTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) != 0 && m_dwPushedTextColor != 0) {
        color = m_dwPushedTextColor;
    } else if ((m_uButtonState & UISTATE_HOT) != 0 && m_dwHotTextColor != 0) {
        color = m_dwHotTextColor;
    }
    DrawLabelText(hDC, m_sText, color);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    if (IsEnabled() && (m_uButtonState & UISTATE_HOT) != 0 && m_dwHotBkColor != 0) {
        Render::DrawColor(hDC, m_rcItem, m_dwHotBkColor);
    }
    m_images.Draw(*this, hDC, m_uButtonState | (IsFocused() ? UISTATE_FOCUSED : 0u));
}

}  // namespace SkinUI
