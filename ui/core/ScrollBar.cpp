#include "ui/core/ScrollBar.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ui/core/AttributeList.h"
#include "ui/core/AttributeTable.h"
#include "ui/core/Container.h"
#include "ui/core/Render.h"
#include "ui/core/WindowManager.h"

namespace SkinUI {

namespace {

constexpr int kDefaultThickness = 16;
constexpr int kMinThumb = 10;
// Holding a button or the rail repeats its step at this pace.
constexpr UINT kRepeatTimer = 1;
constexpr UINT kRepeatMs = 90;

// A part's image attribute: the part's name, then a state's ("thumbhotimage").
bool SetPartImage(StateImages& images, const char* part, const char* name, const char* value) {
    const size_t length = std::strlen(part);
    return std::strncmp(name, part, length) == 0 && images.SetAttribute(name + length, value);
}

// The colour `by` darker in each of red, green and blue, none below black.
DWORD Darker(DWORD argb, int by) {
    DWORD result = argb & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((argb >> shift) & 0xFF) - by;
        result |= static_cast<DWORD>(std::max(0, channel)) << shift;
    }
    return result;
}

}  // namespace

CScrollBarUI::CScrollBarUI() {
    m_dwBkColor = 0xFFF0F0F0;
}

CScrollBarUI::~CScrollBarUI() {
    if (m_pManager)
        m_pManager->KillTimers(this);
}

// A bar alone takes the keyboard; a container's bar hears the keys through
// the container.
UINT CScrollBarUI::GetControlFlags() const {
    return UIFLAG_SETCURSOR | (!m_pOwner && IsEnabled() ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u);
}

void CScrollBarUI::SetAttribute(const char* name, const char* value) {
    static const AttributeSetter<CScrollBarUI> kAttributes[] = {
        {"hor", [](CScrollBarUI& c, const char* v) { c.SetHorizontal(ParseBool(v)); }},
        {"range", [](CScrollBarUI& c, const char* v) { c.SetScrollRange(std::atoi(v)); }},
        {"value", [](CScrollBarUI& c, const char* v) { c.SetScrollPos(std::atoi(v)); }},
        {"linesize", [](CScrollBarUI& c, const char* v) { c.SetLineSize(std::atoi(v)); }},
        {"showbutton1", [](CScrollBarUI& c, const char* v) { c.ShowButton(c.m_bShowButton1, v); }},
        {"showbutton2", [](CScrollBarUI& c, const char* v) { c.ShowButton(c.m_bShowButton2, v); }},
        {"railimage", [](CScrollBarUI& c, const char* v) { c.m_sRailImage = v; }},
        {"buttoncolor", [](CScrollBarUI& c, const char* v) { c.m_dwButtonColor = ParseColor(v); }},
        {"thumbcolor", [](CScrollBarUI& c, const char* v) { c.m_dwThumbColor = ParseColor(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value) ||
        SetPartImage(m_button1Images, "button1", name, value) ||
        SetPartImage(m_button2Images, "button2", name, value) ||
        SetPartImage(m_thumbImages, "thumb", name, value)) {
        Invalidate();
        return;
    }
    CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::ShowButton(bool& shown, const char* value) {
    shown = ParseBool(value);
    PlaceThumb();
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    m_bHorizontal = horizontal;
    NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    m_nRange = std::max(0, range);
    m_nPos = std::clamp(m_nPos, 0, m_nRange);
    PlaceThumb();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, m_nRange);
    if (pos == m_nPos)
        return;
    m_nPos = pos;
    PlaceThumb();
    Invalidate();
}

void CScrollBarUI::SetLineSize(int size) {
    m_nLineSize = std::max(1, size);
}

void CScrollBarUI::SetPageSize(int size) {
    m_nPage = std::max(0, size);
    PlaceThumb();
    Invalidate();
}

int CScrollBarUI::GetThickness() const {
    const int fixed = m_bHorizontal ? GetFixedHeight() : GetFixedWidth();
    return fixed > 0 ? fixed : kDefaultThickness;
}

void CScrollBarUI::ScrollTo(int pos) {
    pos = std::clamp(pos, 0, m_nRange);
    if (pos == m_nPos)
        return;
    if (m_pOwner) {
        SIZE scroll = m_pOwner->GetScrollPos();
        (m_bHorizontal ? scroll.cx : scroll.cy) = pos;
        m_pOwner->SetScrollPos(scroll);
        return;
    }
    SetScrollPos(pos);
    if (m_pManager)
        m_pManager->SendNotify(this, "scroll", static_cast<WPARAM>(m_nPos));
}

void CScrollBarUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled())
        m_pointer.Clear();
}

void CScrollBarUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    PlaceThumb();
}

// Lays the parts out along the bar: button, rail with the thumb, button.
void CScrollBarUI::PlaceThumb() {
    const RECT& rc = m_rcItem;
    const int length = m_bHorizontal ? rc.right - rc.left : rc.bottom - rc.top;
    const int thickness = m_bHorizontal ? rc.bottom - rc.top : rc.right - rc.left;
    const int button = std::min(thickness, length / 2);
    const int b1 = m_bShowButton1 ? button : 0;
    const int b2 = m_bShowButton2 ? button : 0;
    const int track = std::max(0, length - b1 - b2);
    int thumb = track;
    if (m_nRange > 0) {
        thumb = m_nPage > 0 ? static_cast<int>(static_cast<long long>(track) * m_nPage /
                                               (static_cast<long long>(m_nPage) + m_nRange))
                            : thickness;
        thumb = std::min(track, std::max(thumb, kMinThumb));
    }
    const int offset =
        m_nRange > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * m_nPos / m_nRange)
                     : 0;
    // Positions along the bar, mapped onto the rectangle's axis.
    auto span = [&](int from, int to) {
        return m_bHorizontal ? RECT{rc.left + from, rc.top, rc.left + to, rc.bottom}
                             : RECT{rc.left, rc.top + from, rc.right, rc.top + to};
    };
    m_rcButton1 = span(0, b1);
    m_rcButton2 = span(length - b2, length);
    m_rcThumb = span(b1 + offset, b1 + offset + thumb);
}

CScrollBarUI::Part CScrollBarUI::PartAt(POINT pt) const {
    if (::PtInRect(&m_rcButton1, pt))
        return Part::Button1;
    if (::PtInRect(&m_rcButton2, pt))
        return Part::Button2;
    if (::PtInRect(&m_rcThumb, pt))
        return Part::Thumb;
    if (!::PtInRect(&m_rcItem, pt))
        return Part::None;
    const bool before = m_bHorizontal ? pt.x < m_rcThumb.left : pt.y < m_rcThumb.top;
    return before ? Part::RailBefore : Part::RailAfter;
}

void CScrollBarUI::StepPart(Part part) {
    const int page = std::max(m_nLineSize, m_nPage > 0 ? m_nPage : m_nLineSize * 4);
    switch (part) {
        case Part::Button1:
            LineUp();
            break;
        case Part::Button2:
            LineDown();
            break;
        case Part::RailBefore:
            ScrollTo(m_nPos - page);
            break;
        case Part::RailAfter:
            ScrollTo(m_nPos + page);
            break;
        default:
            break;
    }
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() && event.Type != UIEVENT_SETFOCUS && event.Type != UIEVENT_KILLFOCUS) {
        CControlUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            m_pointer.Press(*this);
            m_pressed = PartAt(event.ptMouse);
            m_ptDragStart = event.ptMouse;
            m_nDragStartPos = m_nPos;
            if (m_pressed != Part::Thumb && m_pressed != Part::None) {
                StepPart(m_pressed);
                if (m_pManager)
                    m_pManager->SetTimer(this, kRepeatTimer, kRepeatMs);
            }
            return;
        case UIEVENT_TIMER:
            // Repeats while the pointer stays on the part that was pressed.
            if (event.wParam == kRepeatTimer && m_pointer.IsCaptured() &&
                m_pressed != Part::Thumb && PartAt(event.ptMouse) == m_pressed) {
                StepPart(m_pressed);
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if (!m_pointer.IsCaptured()) {
                if (PartAt(event.ptMouse) != m_hot) {
                    m_hot = PartAt(event.ptMouse);
                    Invalidate();
                }
            } else if (m_pressed == Part::Thumb) {
                const bool hor = m_bHorizontal;
                const int track =
                    (hor ? m_rcItem.right - m_rcItem.left : m_rcItem.bottom - m_rcItem.top) -
                    (hor ? m_rcButton1.right - m_rcButton1.left
                         : m_rcButton1.bottom - m_rcButton1.top) -
                    (hor ? m_rcButton2.right - m_rcButton2.left
                         : m_rcButton2.bottom - m_rcButton2.top) -
                    (hor ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top);
                const int moved =
                    hor ? event.ptMouse.x - m_ptDragStart.x : event.ptMouse.y - m_ptDragStart.y;
                if (track > 0) {
                    ScrollTo(m_nDragStartPos +
                             static_cast<int>(static_cast<long long>(moved) * m_nRange / track));
                }
            }
            return;
        case UIEVENT_BUTTONUP:
            m_pointer.Release(*this);
            if (m_pManager)
                m_pManager->KillTimer(this, kRepeatTimer);
            return;
        case UIEVENT_MOUSEENTER:
        case UIEVENT_MOUSELEAVE:
            m_pointer.TrackHover(*this, event);
            return;
        case UIEVENT_KEYDOWN:
            switch (event.chKey) {
                case VK_UP:
                case VK_LEFT:
                    LineUp();
                    return;
                case VK_DOWN:
                case VK_RIGHT:
                    LineDown();
                    return;
                case VK_PRIOR:
                    StepPart(Part::RailBefore);
                    return;
                case VK_NEXT:
                    StepPart(Part::RailAfter);
                    return;
                case VK_HOME:
                    ScrollTo(0);
                    return;
                case VK_END:
                    ScrollTo(m_nRange);
                    return;
                default:
                    break;
            }
            break;
        case UIEVENT_SCROLLWHEEL:
            // Three lines a notch, as the system scrolls text.
            ScrollTo(m_nPos + (GET_WHEEL_DELTA_WPARAM(event.wParam) > 0 ? -3 : 3) * m_nLineSize);
            return;
        default:
            break;
    }
    CControlUI::DoEvent(event);
}

// The pressed part is pushed until the release; otherwise the part under
// the pointer is hot.
UINT CScrollBarUI::LookOf(Part part) const {
    if (m_pointer.IsCaptured())
        return m_pressed == part ? static_cast<UINT>(UISTATE_PUSHED | UISTATE_HOT) : 0u;
    return m_pointer.IsHot() && m_hot == part ? static_cast<UINT>(UISTATE_HOT) : 0u;
}

// A part's image for its state, or without images a plain colour a shade
// darker when hot and two when pushed.
void CScrollBarUI::DrawPart(HDC hDC, const RECT& rc, Part part, const StateImages& images,
                            DWORD color) {
    if (::IsRectEmpty(&rc))
        return;
    const UINT look = LookOf(part);
    if (images.Draw(hDC, m_pManager, rc, m_rcPaint, look))
        return;
    const int shade = (look & UISTATE_PUSHED) != 0 ? 0x20 : (look & UISTATE_HOT) != 0 ? 0x10 : 0;
    Render::DrawColor(hDC, rc, Darker(color, shade));
    Render::DrawBorder(hDC, rc, 1, 0xFF909090);
    if (part == Part::Button1 || part == Part::Button2) {
        const bool first = part == Part::Button1;
        using Render::ArrowDirection;
        const ArrowDirection way = m_bHorizontal
                                       ? (first ? ArrowDirection::Left : ArrowDirection::Right)
                                       : (first ? ArrowDirection::Up : ArrowDirection::Down);
        Render::DrawArrow(hDC, rc, way, IsEnabled() ? 0xFF404040 : 0xFFA0A0A0);
    }
}

void CScrollBarUI::PaintStatusImage(HDC hDC) {
    if (!m_sRailImage.empty()) {
        const RECT rail =
            m_bHorizontal
                ? RECT{m_rcButton1.right, m_rcItem.top, m_rcButton2.left, m_rcItem.bottom}
                : RECT{m_rcItem.left, m_rcButton1.bottom, m_rcItem.right, m_rcButton2.top};
        Render::DrawImageString(hDC, m_pManager, rail, m_rcPaint, m_sRailImage);
    }
    DrawPart(hDC, m_rcButton1, Part::Button1, m_button1Images, m_dwButtonColor);
    DrawPart(hDC, m_rcButton2, Part::Button2, m_button2Images, m_dwButtonColor);
    if (m_nRange > 0)
        DrawPart(hDC, m_rcThumb, Part::Thumb, m_thumbImages, m_dwThumbColor);
}

}  // namespace SkinUI
