// The manager's keyboard focus: moving it, the tab order, and the Alt
// shortcuts that focus and activate a control.
#include "ui/core/WindowManager.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace SkinUI {

namespace {

// The control whose shortcut is the character, either case.
CControlUI* CALLBACK MatchShortcut(CControlUI* control, LPVOID data) {
    const auto wanted = static_cast<unsigned char>(*static_cast<const char*>(data));
    const auto own = static_cast<unsigned char>(control->GetShortcut());
    return own != 0 && std::toupper(own) == std::toupper(wanted) ? control : nullptr;
}

CControlUI* CALLBACK CollectInOrder(CControlUI* control, LPVOID data) {
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

}  // namespace

void CWindowManagerUI::SetFocus(CControlUI* control) {
    if (m_hWndPaint && !m_bNoActivate && ::GetFocus() != m_hWndPaint && control != m_pFocus) {
        ::SetFocus(m_hWndPaint);
    }
    if (control == m_pFocus)
        return;
    if (CControlUI* old = m_pFocus) {
        // The focus is gone before anyone hears of it, so a control or a
        // listener that moves it on finds nothing to take it from again, and
        // where it moved the focus to stands.
        m_pFocus = nullptr;
        SendEvent(old, UIEVENT_KILLFOCUS);
        SendNotify(old, "killfocus");
        if (m_pFocus)
            return;
    }
    if (!control || control->GetManager() != this || !control->IsVisible() ||
        !control->IsEnabled()) {
        return;
    }
    m_pFocus = control;
    SendEvent(control, UIEVENT_SETFOCUS);
    SendNotify(control, "setfocus");
}

bool CWindowManagerUI::SetNextTabControl(bool forward) {
    if (!m_pRoot)
        return false;
    // Every visible, enabled control in tree order; the next tab stop is
    // searched from the focused one, so a focused container (a tab page)
    // hands the focus to its first tab stop.
    std::vector<CControlUI*> order;
    m_pRoot->FindControl(CollectInOrder, &order, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (order.empty())
        return false;
    const auto current = std::find(order.begin(), order.end(), m_pFocus);
    const size_t count = order.size();
    size_t start = 0;
    if (current != order.end()) {
        start = static_cast<size_t>(current - order.begin());
    } else {
        start = forward ? count - 1 : 0;
    }
    for (size_t step = 1; step <= count; ++step) {
        const size_t index = forward ? (start + step) % count : (start + count - step) % count;
        if ((order[index]->GetControlFlags() & UIFLAG_TABSTOP) != 0) {
            SetFocus(order[index]);
            return true;
        }
    }
    return false;
}

bool CWindowManagerUI::ActivateShortcut(char ch) {
    if (!m_pRoot || ch == 0)
        return false;
    CControlUI* control =
        m_pRoot->FindControl(MatchShortcut, &ch, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (!control)
        return false;
    control->SetFocus();
    control->Activate();
    return true;
}

}  // namespace SkinUI
