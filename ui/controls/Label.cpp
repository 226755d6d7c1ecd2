#include "ui/controls/Label.h"

#include <cstring>

#include "ui/core/Geometry.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

const char* CLabelUI::GetClass() const {
    return "LabelUI";
}

void* CLabelUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Label") == 0)
        return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "align") == 0) {
        m_uTextStyle &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
        if (std::strstr(value, "center")) {
            m_uTextStyle |= DT_CENTER;
        } else if (std::strstr(value, "right")) {
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (std::strcmp(name, "valign") == 0) {
        m_uTextStyle &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
        if (std::strstr(value, "top")) {
            m_uTextStyle |= DT_TOP;
        } else if (std::strstr(value, "bottom")) {
            m_uTextStyle |= DT_BOTTOM;
        } else {
            m_uTextStyle |= DT_VCENTER;
        }
    } else if (std::strcmp(name, "endellipsis") == 0) {
        if (ParseBool(value)) {
            m_uTextStyle |= DT_END_ELLIPSIS;
        } else {
            m_uTextStyle &= ~DT_END_ELLIPSIS;
        }
    } else if (std::strcmp(name, "multiline") == 0) {
        if (ParseBool(value)) {
            m_uTextStyle = (m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK;
        } else {
            m_uTextStyle = (m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE;
        }
    } else if (std::strcmp(name, "font") == 0) {
        SetFont(std::atoi(value));
    } else if (std::strcmp(name, "textcolor") == 0) {
        SetTextColor(ParseColor(value));
    } else if (std::strcmp(name, "disabledtextcolor") == 0) {
        SetDisabledTextColor(ParseColor(value));
    } else if (std::strcmp(name, "textpadding") == 0) {
        SetTextPadding(ParseRect(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

SIZE CLabelUI::EstimateSize(SIZE available) {
    // A label without a fixed width in a row is as wide as its text.
    if (m_cxyFixed.cx > 0 || !m_pManager || m_sText.empty() || m_cxyFixed.cy <= 0) {
        return m_cxyFixed;
    }
    const SIZE text = Render::MeasureText(m_pManager->GetPaintDC(), m_pManager, m_sText, m_iFont,
                                          DT_SINGLELINE, available.cx);
    return SIZE{Saturate(int64_t{text.cx} + m_rcTextPadding.left + m_rcTextPadding.right),
                m_cxyFixed.cy};
}

void CLabelUI::DrawLabelText(HDC hDC, const std::string& text, DWORD color) {
    if (!m_pManager)
        return;
    if (color == 0)
        color = m_pManager->GetDefaultFontColor();
    if (!IsEnabled()) {
        color = m_dwDisabledTextColor != 0 ? m_dwDisabledTextColor
                                           : m_pManager->GetDefaultDisabledColor();
    }
    Render::DrawText(hDC, m_pManager, Deflated(m_rcItem, m_rcTextPadding), text, color, m_iFont,
                     m_uTextStyle);
}

void CLabelUI::PaintText(HDC hDC) {
    DrawLabelText(hDC, m_sText, m_dwTextColor);
}

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
}

const char* CTextUI::GetClass() const {
    return "TextUI";
}

void* CTextUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Text") == 0)
        return this;
    return CLabelUI::GetInterface(name);
}

}  // namespace SkinUI
