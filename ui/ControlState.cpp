#include "ui/ControlState.h"

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

void DrawDisabledLook(CControlUI& control, HDC hDC, const std::string& disabledImage,
                      const std::string& normalImage) {
    if (!control.DrawImage(hDC, disabledImage))
        control.DrawImage(hDC, normalImage, "fade='110'");
}

}  // namespace SkinUI
