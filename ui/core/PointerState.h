// The pointer as a control that reacts to it sees it: hot while over the
// control, captured from a press on it until the release, pushed while
// captured and over it. Buttons, sliders, combos, edits, list rows and scroll
// bars keep one each, so the rules for these states live here only.
#pragma once

#include "ui/core/Control.h"

namespace SkinUI {

// The states a control's images show (see StateImages).
enum : UINT {
    UISTATE_FOCUSED = 0x01,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
};

class PointerState {
public:
    // UISTATE_HOT and UISTATE_PUSHED.
    UINT Flags() const { return m_flags; }
    bool IsHot() const { return (m_flags & UISTATE_HOT) != 0; }
    bool IsPushed() const { return (m_flags & UISTATE_PUSHED) != 0; }
    bool IsCaptured() const { return m_captured; }
    // The flags with the control's focus and enabling.
    UINT Look(const CControlUI& control) const {
        return m_flags | (control.IsFocused() ? UISTATE_FOCUSED : 0u) |
               (control.IsEnabled() ? 0u : UISTATE_DISABLED);
    }

    // Entering makes an enabled control hot, leaving ends it. True when the
    // event was one of the two.
    bool TrackHover(CControlUI& control, const TEventUI& event) {
        if (event.Type == UIEVENT_MOUSEENTER) {
            if (control.IsEnabled())
                m_flags |= UISTATE_HOT;
        } else if (event.Type == UIEVENT_MOUSELEAVE) {
            m_flags &= ~UISTATE_HOT;
        } else {
            return false;
        }
        control.Invalidate();
        return true;
    }
    // The same for a control the user clicks (a button, a slider, a combo),
    // which shows the hand over itself.
    bool TrackClickable(CControlUI& control, const TEventUI& event) {
        if (event.Type != UIEVENT_SETCURSOR)
            return TrackHover(control, event);
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return true;
    }
    // A press on the control.
    void Press(CControlUI& control) {
        m_captured = true;
        Show(control, m_flags | UISTATE_PUSHED);
    }
    // The pointer moved while captured: pushed only while over the control.
    void Drag(CControlUI& control, POINT pt) {
        if (!m_captured)
            return;
        const RECT rc = control.GetPos();
        Show(control, ::PtInRect(&rc, pt) ? m_flags | UISTATE_PUSHED : m_flags & ~UISTATE_PUSHED);
    }
    // The release. True when it ends a press, which the control then acts on.
    bool Release(CControlUI& control) {
        if (!m_captured)
            return false;
        m_captured = false;
        Show(control, m_flags & ~UISTATE_PUSHED);
        return true;
    }
    // A disabled control shows no pointer state and holds no press.
    void Clear() {
        m_flags = 0;
        m_captured = false;
    }

private:
    void Show(CControlUI& control, UINT flags) {
        if (flags == m_flags)
            return;
        m_flags = flags;
        control.Invalidate();
    }

    UINT m_flags = 0;
    bool m_captured = false;
};

}  // namespace SkinUI
