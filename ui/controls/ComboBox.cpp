#include "ui/controls/ComboBox.h"

#include <algorithm>
#include <cstdlib>

#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"

namespace SkinUI {

RECT CComboBoxUI::GetArrowRect() const {
    RECT rc = m_rcItem;
    const int width = m_nArrowWidth > 0 ? m_nArrowWidth : rc.bottom - rc.top;
    rc.left = std::max(rc.left, rc.right - width);
    return rc;
}

void CComboBoxUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CComboBoxUI> kAttributes[] = {
        {"arrowimage", [](CComboBoxUI& c, const char* v) { c.m_arrowImages.normal = v; }},
        {"arrowhotimage", [](CComboBoxUI& c, const char* v) { c.m_arrowImages.hot = v; }},
        {"arrowpushedimage", [](CComboBoxUI& c, const char* v) { c.m_arrowImages.pushed = v; }},
        {"arrowdisabledimage", [](CComboBoxUI& c, const char* v) { c.m_arrowImages.disabled = v; }},
        {"arrowwidth", [](CComboBoxUI& c, const char* v) { c.m_nArrowWidth = std::atoi(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value))
        Invalidate();
    else
        CComboUI::SetAttribute(name, value);
}

void CComboBoxUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    CComboUI::DoPaint(hDC, rcPaint);
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    // The arrow follows the box: hot with it, pushed while the list is open.
    const RECT arrow = GetArrowRect();
    if (!m_arrowImages.Draw(hDC, m_pManager, arrow, m_rcPaint, LookOfBox())) {
        Render::DrawArrow(hDC, arrow, Render::ArrowDirection::Down,
                          IsEnabled() ? 0xFF404040 : 0xFFA0A0A0);
    }
}

}  // namespace SkinUI
