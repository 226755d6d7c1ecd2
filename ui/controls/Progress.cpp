#include "ui/controls/Progress.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Render.h"

namespace SkinUI {

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
}

void CProgressUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CProgressUI> kAttributes[] = {
        {"foreimage", [](CProgressUI& c, const char* v) { c.m_sForeImage = v; }},
        {"forecolor", [](CProgressUI& c, const char* v) { c.m_dwForeColor = ParseColor(v); }},
        {"isstretchfore",
         [](CProgressUI& c, const char* v) { c.m_bStretchForeImage = ParseBool(v); }},
        {"hor", [](CProgressUI& c, const char* v) { c.SetHorizontal(ParseBool(v)); }},
        {"min", [](CProgressUI& c, const char* v) { c.SetMinValue(std::atoi(v)); }},
        {"max", [](CProgressUI& c, const char* v) { c.SetMaxValue(std::atoi(v)); }},
        {"value", [](CProgressUI& c, const char* v) { c.SetValue(std::atoi(v)); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value))
        Invalidate();
    else
        CLabelUI::SetAttribute(name, value);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    m_nMin = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    m_nMax = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value == m_nValue || value < m_nMin || value > m_nMax)
        return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::PaintStatusImage(HDC hDC) {
    if (m_nMax <= m_nMin)
        return;
    // long is 32 bits on Windows: a width times a value above a few
    // million would overflow it.
    const int64_t range = static_cast<int64_t>(m_nMax) - m_nMin;
    const int64_t done = static_cast<int64_t>(m_nValue) - m_nMin;
    const LONG width = m_rcItem.right - m_rcItem.left;
    const LONG height = m_rcItem.bottom - m_rcItem.top;
    RECT part = {0, 0, width, height};
    if (m_bHorizontal) {
        part.right = static_cast<LONG>(width * done / range);
    } else {
        part.top = static_cast<LONG>(height - height * done / range);
    }
    if (part.right <= part.left || part.bottom <= part.top)
        return;
    if (m_dwForeColor != 0) {
        Render::DrawColor(hDC,
                          RECT{m_rcItem.left + part.left, m_rcItem.top + part.top,
                               m_rcItem.left + part.right, m_rcItem.top + part.bottom},
                          m_dwForeColor);
    }
    if (m_sForeImage.empty())
        return;
    char modify[96];
    if (m_bStretchForeImage) {
        std::snprintf(modify, sizeof(modify), "dest='%ld,%ld,%ld,%ld'", part.left, part.top,
                      part.right, part.bottom);
    } else {
        // Unstretched, the filled part shows the matching slice of the image.
        std::snprintf(modify, sizeof(modify), "dest='%ld,%ld,%ld,%ld' source='%ld,%ld,%ld,%ld'",
                      part.left, part.top, part.right, part.bottom, part.left, part.top, part.right,
                      part.bottom);
    }
    DrawImage(hDC, m_sForeImage, modify);
}

}  // namespace SkinUI
