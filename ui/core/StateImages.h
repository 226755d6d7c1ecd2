// Looks shared by the controls that react to the pointer: the state flags,
// the hot state, and the images a skin gives each state.
#pragma once

#include <string>

#include "ui/core/Control.h"

namespace SkinUI {

enum : UINT {
    UISTATE_FOCUSED = 0x01,
    UISTATE_SELECTED = 0x02,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
    UISTATE_CAPTURED = 0x40,
};

// Sets or clears UISTATE_HOT on entering and leaving. True when the event
// was one of those two.
bool TrackHotState(CControlUI& control, const TEventUI& event, UINT& state);

// The images of a button-like control's states, as the skin names them.
struct StateImages {
    std::string normal;
    std::string hot;
    std::string pushed;
    std::string focused;
    std::string disabled;

    // Takes "normalimage", "hotimage", "pushedimage", "focusedimage" and
    // "disabledimage"; false for any other attribute.
    bool SetAttribute(const char* name, const char* value);
    // Draws the first image the state has of: pushed, hot, focused, normal.
    // A disabled control shows its disabled image, or the normal one faded.
    void Draw(CControlUI& control, HDC hDC, UINT state) const;
};

}  // namespace SkinUI
