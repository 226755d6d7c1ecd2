#include "ui/controls/Label.h"

#include <cstdlib>
#include <cstring>

#include "ui/core/AttributeTable.h"
#include "ui/core/Geometry.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

// "align": left, unless the value names center or right.
UINT AlignedAcross(UINT style, const char* value) {
    style &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
    if (std::strstr(value, "center"))
        return style | DT_CENTER;
    return std::strstr(value, "right") ? style | DT_RIGHT : style;
}

// "valign": centred, unless the value names top or bottom.
UINT AlignedDown(UINT style, const char* value) {
    style &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
    if (std::strstr(value, "top"))
        return style | DT_TOP;
    return style | (std::strstr(value, "bottom") ? DT_BOTTOM : DT_VCENTER);
}

UINT WithFlag(UINT style, UINT flag, bool on) {
    return on ? style | flag : style & ~flag;
}

}  // namespace

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
    static const AttributeSetter<CLabelUI> kAttributes[] = {
        {"align",
         [](CLabelUI& c, const char* v) { c.SetTextStyle(AlignedAcross(c.m_uTextStyle, v)); }},
        {"valign",
         [](CLabelUI& c, const char* v) { c.SetTextStyle(AlignedDown(c.m_uTextStyle, v)); }},
        {"endellipsis",
         [](CLabelUI& c, const char* v) {
             c.SetTextStyle(WithFlag(c.m_uTextStyle, DT_END_ELLIPSIS, ParseBool(v)));
         }},
        {"multiline",
         [](CLabelUI& c, const char* v) {
             const bool multiLine = ParseBool(v);
             c.SetTextStyle(WithFlag(WithFlag(c.m_uTextStyle, DT_WORDBREAK, multiLine),
                                     DT_SINGLELINE, !multiLine));
         }},
        {"font", [](CLabelUI& c, const char* v) { c.SetFont(std::atoi(v)); }},
        {"textcolor", [](CLabelUI& c, const char* v) { c.SetTextColor(ParseColor(v)); }},
        {"disabledtextcolor",
         [](CLabelUI& c, const char* v) { c.SetDisabledTextColor(ParseColor(v)); }},
        {"textpadding", [](CLabelUI& c, const char* v) { c.SetTextPadding(ParseRect(v)); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
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

}  // namespace SkinUI
