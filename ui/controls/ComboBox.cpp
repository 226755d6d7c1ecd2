#include "ui/controls/ComboBox.h"

#include <algorithm>
#include <cstring>

#include "ui/core/Render.h"
#include "ui/core/StateImages.h"

namespace SkinUI {

const char* CComboBoxUI::GetClass() const {
    return "ComboBoxUI";
}

void* CComboBoxUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ComboBox") == 0)
        return this;
    return CComboUI::GetInterface(name);
}

RECT CComboBoxUI::GetArrowRect() const {
    RECT rc = m_rcItem;
    const int width = m_nArrowWidth > 0 ? m_nArrowWidth : rc.bottom - rc.top;
    rc.left = std::max(rc.left, rc.right - width);
    return rc;
}

void CComboBoxUI::DoEvent(TEventUI& event) {
    // The combo tracks its own look; the arrow follows the same pointer.
    TrackHotState(*this, event, m_uArrowState);
    CComboUI::DoEvent(event);
}

void CComboBoxUI::SetAttribute(const char* name, const char* value) {
    if (std::strcmp(name, "arrowimage") == 0) {
        m_sArrowImage = value;
    } else if (std::strcmp(name, "arrowhotimage") == 0) {
        m_sArrowHotImage = value;
    } else if (std::strcmp(name, "arrowpushedimage") == 0) {
        m_sArrowPushedImage = value;
    } else if (std::strcmp(name, "arrowdisabledimage") == 0) {
        m_sArrowDisabledImage = value;
    } else if (std::strcmp(name, "arrowwidth") == 0) {
        m_nArrowWidth = std::atoi(value);
    } else {
        CComboUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CComboBoxUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    CComboUI::DoPaint(hDC, rcPaint);
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    const RECT arrow = GetArrowRect();
    auto draw = [&](const std::string& image) {
        return Render::DrawImageString(hDC, m_pManager, arrow, m_rcPaint, image);
    };
    if (!IsEnabled()) {
        if (draw(m_sArrowDisabledImage) ||
            Render::DrawImageString(hDC, m_pManager, arrow, m_rcPaint, m_sArrowImage,
                                    "fade='110'")) {
            return;
        }
    } else if ((IsDropped() && draw(m_sArrowPushedImage)) ||
               ((m_uArrowState & UISTATE_HOT) != 0 && draw(m_sArrowHotImage)) ||
               draw(m_sArrowImage)) {
        return;
    }
    Render::DrawArrow(hDC, arrow, Render::ArrowDirection::Down,
                      IsEnabled() ? 0xFF404040 : 0xFFA0A0A0);
}

}  // namespace SkinUI
