#include "ui/core/StateImages.h"

#include <cstring>

namespace SkinUI {

bool TrackHotState(CControlUI& control, const TEventUI& event, UINT& state) {
    if (event.Type == UIEVENT_MOUSEENTER) {
        if (control.IsEnabled())
            state |= UISTATE_HOT;
    } else if (event.Type == UIEVENT_MOUSELEAVE) {
        state &= ~UISTATE_HOT;
    } else {
        return false;
    }
    control.Invalidate();
    return true;
}

bool StateImages::SetAttribute(const char* name, const char* value) {
    struct Slot {
        const char* attribute;
        std::string StateImages::*image;
    };
    static const Slot kSlots[] = {{"normalimage", &StateImages::normal},
                                  {"hotimage", &StateImages::hot},
                                  {"pushedimage", &StateImages::pushed},
                                  {"focusedimage", &StateImages::focused},
                                  {"disabledimage", &StateImages::disabled}};
    for (const Slot& slot : kSlots) {
        if (std::strcmp(name, slot.attribute) == 0) {
            this->*slot.image = value ? value : "";
            return true;
        }
    }
    return false;
}

void StateImages::Draw(CControlUI& control, HDC hDC, UINT state) const {
    if (!control.IsEnabled()) {
        if (!control.DrawImage(hDC, disabled))
            control.DrawImage(hDC, normal, "fade='110'");
        return;
    }
    if ((state & UISTATE_PUSHED) != 0 && control.DrawImage(hDC, pushed))
        return;
    if ((state & UISTATE_HOT) != 0 && control.DrawImage(hDC, hot))
        return;
    if ((state & UISTATE_FOCUSED) != 0 && control.DrawImage(hDC, focused))
        return;
    control.DrawImage(hDC, normal);
}

}  // namespace SkinUI
