#include "ui/controls/Slider.h"

#include <algorithm>
#include <cstdlib>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/RectAttributes.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

CSliderUI::CSliderUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
}

UINT CSliderUI::GetControlFlags() const {
    return (IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u) | UIFLAG_SETCURSOR;
}

void CSliderUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CSliderUI> kAttributes[] = {
        {"thumbsize", [](CSliderUI& c, const char* v) { c.SetThumbSize(ParseSize(v)); }},
        {"step", [](CSliderUI& c, const char* v) { c.SetChangeStep(std::atoi(v)); }},
        {"thumbimage", [](CSliderUI& c, const char* v) { c.m_thumbImages.normal = v; }},
        {"thumbhotimage", [](CSliderUI& c, const char* v) { c.m_thumbImages.hot = v; }},
        {"thumbpushedimage", [](CSliderUI& c, const char* v) { c.m_thumbImages.pushed = v; }},
        {"thumbcolor", [](CSliderUI& c, const char* v) { c.m_dwThumbColor = ParseColor(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value))
        Invalidate();
    else
        CProgressUI::SetAttribute(name, value);
}

void CSliderUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_pointer.Clear();
}

void CSliderUI::SetChangeStep(int step) {
    m_nStep = std::max(1, step);
}

void CSliderUI::SetThumbSize(SIZE size) {
    m_szThumb = SIZE{std::max<LONG>(1, size.cx), std::max<LONG>(1, size.cy)};
    Invalidate();
}

// The thumb travels the bar less its own length; the value grows to the
// right, or upwards when vertical. 64-bit products keep wide ranges exact.
RECT CSliderUI::GetThumbRect() const {
    const long long range = static_cast<long long>(GetMaxValue()) - GetMinValue();
    const long long done = static_cast<long long>(GetValue()) - GetMinValue();
    const RECT& rc = m_rcItem;
    if (IsHorizontal()) {
        const long long track = std::max<long long>(0, rc.right - rc.left - m_szThumb.cx);
        const LONG left = rc.left + static_cast<LONG>(range > 0 ? track * done / range : 0);
        const LONG top = rc.top + (rc.bottom - rc.top - m_szThumb.cy) / 2;
        return RECT{left, top, left + m_szThumb.cx, top + m_szThumb.cy};
    }
    const long long track = std::max<long long>(0, rc.bottom - rc.top - m_szThumb.cy);
    const LONG bottom = rc.bottom - static_cast<LONG>(range > 0 ? track * done / range : 0);
    const LONG left = rc.left + (rc.right - rc.left - m_szThumb.cx) / 2;
    return RECT{left, bottom - m_szThumb.cy, left + m_szThumb.cx, bottom};
}

int CSliderUI::ValueAt(POINT pt) const {
    const long long range = static_cast<long long>(GetMaxValue()) - GetMinValue();
    const RECT& rc = m_rcItem;
    long long track = 0;
    long long along = 0;
    if (IsHorizontal()) {
        track = rc.right - rc.left - m_szThumb.cx;
        along = pt.x - rc.left - m_szThumb.cx / 2;
    } else {
        track = rc.bottom - rc.top - m_szThumb.cy;
        along = rc.bottom - m_szThumb.cy / 2 - pt.y;
    }
    if (track <= 0 || range <= 0)
        return GetMinValue();
    along = std::clamp<long long>(along, 0, track);
    // Rounded to the nearest value.
    return static_cast<int>(GetMinValue() + (along * range + track / 2) / track);
}

void CSliderUI::ChangeValue(int value) {
    const int old = GetValue();
    SetValue(std::clamp(value, GetMinValue(), GetMaxValue()));
    if (GetValue() != old && m_pManager)
        m_pManager->SendNotify(this, "valuechanged", static_cast<WPARAM>(GetValue()));
}

void CSliderUI::DoEvent(TEventUI& event) {
    // A disabled slider keeps the arrow.
    if (IsEnabled() ? m_pointer.TrackClickable(*this, event) : m_pointer.TrackHover(*this, event))
        return;
    if (!IsEnabled()) {
        CProgressUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK: {
            m_pointer.Press(*this);
            m_nValueAtPress = GetValue();
            const RECT thumb = GetThumbRect();
            m_ptGrab = POINT{0, 0};
            if (::PtInRect(&thumb, event.ptMouse)) {
                m_ptGrab = POINT{event.ptMouse.x - (thumb.left + thumb.right) / 2,
                                 event.ptMouse.y - (thumb.top + thumb.bottom) / 2};
            } else {
                // A press beside the thumb brings it there.
                SetValue(ValueAt(event.ptMouse));
            }
            Invalidate();
            return;
        }
        case UIEVENT_MOUSEMOVE:
            if (m_pointer.IsCaptured()) {
                SetValue(
                    ValueAt(POINT{event.ptMouse.x - m_ptGrab.x, event.ptMouse.y - m_ptGrab.y}));
            }
            return;
        case UIEVENT_BUTTONUP:
            if (m_pointer.Release(*this) && GetValue() != m_nValueAtPress && m_pManager)
                m_pManager->SendNotify(this, "valuechanged", static_cast<WPARAM>(GetValue()));
            return;
        case UIEVENT_SCROLLWHEEL:
            ChangeValue(GetValue() +
                        (GET_WHEEL_DELTA_WPARAM(event.wParam) > 0 ? m_nStep : -m_nStep));
            return;
        case UIEVENT_KEYDOWN:
            switch (event.chKey) {
                case VK_LEFT:
                case VK_DOWN:
                    ChangeValue(GetValue() - m_nStep);
                    return;
                case VK_RIGHT:
                case VK_UP:
                    ChangeValue(GetValue() + m_nStep);
                    return;
                case VK_HOME:
                    ChangeValue(GetMinValue());
                    return;
                case VK_END:
                    ChangeValue(GetMaxValue());
                    return;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::PaintStatusImage(HDC hDC) {
    CProgressUI::PaintStatusImage(hDC);
    const RECT thumb = GetThumbRect();
    // A disabled thumb keeps its image, unfaded, or shows grey.
    if (m_thumbImages.Draw(hDC, m_pManager, thumb, m_rcPaint, m_pointer.Flags()))
        return;
    Render::DrawColor(hDC, thumb, IsEnabled() ? m_dwThumbColor : 0xFFB0B0B0);
    Render::DrawBorder(hDC, thumb, 1, 0xFF505050);
}

}  // namespace SkinUI
