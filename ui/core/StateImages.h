// The images a skin gives the states of a control or of a part of one (a
// slider's thumb, a combo's arrow, a scroll bar's buttons).
#pragma once

#include <string>

#include "ui/core/PointerState.h"

namespace SkinUI {

class CWindowManagerUI;

struct StateImages {
    std::string normal;
    std::string hot;
    std::string pushed;
    std::string focused;
    std::string disabled;

    // Takes "normalimage", "hotimage", "pushedimage", "focusedimage" and
    // "disabledimage"; false for any other attribute.
    bool SetAttribute(const char* name, const char* value);
    // Draws into rc the first image the state (UISTATE_* flags) has of:
    // pushed, hot, focused, normal; a disabled state shows the disabled
    // image, or the normal one faded. False when none of them is there, so
    // the caller can draw something plainer.
    bool Draw(HDC hDC, CWindowManagerUI* manager, const RECT& rc, const RECT& paint,
              UINT state) const;
};

}  // namespace SkinUI
